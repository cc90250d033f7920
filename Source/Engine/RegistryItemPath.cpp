// Registry item paths: the splitting of found-item texts.
#include "Engine/RegistryItemPath.h"

#include "Engine/Interfaces/EngineInterfaces.h"

bool HasEmptyComponent(const CString& path)
{
    return path.IsEmpty() || path[0] == '\\' || path[path.GetLength() - 1] == '\\' ||
           path.Find("\\\\") >= 0;
}

bool ParseRegistryItem(const char* text, RegistryItemPath& out)
{
    if (!text)
        return false;
    const CString item(text);
    CString keyText = item;
    out.namesValue = false;
    out.valueName.Empty();
    const int separator = item.Find(ValueSeparator);
    if (separator > 0) {
        keyText = item.Left(separator);
        out.namesValue = true;
        out.valueName = item.Mid(separator + 1);
        if (out.valueName.IsEmpty())
            return false;
    }
    const int slash = keyText.Find('\\');
    if (slash <= 0)
        return false;
    out.root = ItemRootKeyFromName(keyText.Left(slash), &out.rootName);
    out.keyPath = keyText.Mid(slash + 1);
    return out.root != nullptr && !HasEmptyComponent(out.keyPath);
}
