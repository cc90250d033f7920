// CIgnoreListManager: kept by the engine library for its interface; it holds nothing and
// nothing creates one (the program keeps its ignore list itself).
#ifndef TARNEX_IGNORE_LIST_MANAGER_H
#define TARNEX_IGNORE_LIST_MANAGER_H

class CIgnoreListManager {
public:
    virtual ~CIgnoreListManager() {}
};

#endif
