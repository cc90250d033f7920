// HexDigit: the value of one hexadecimal digit of either case, or -1 for any other character.
// For the colour names of the skin and the binary value texts of the registry documents.
#ifndef VELMORA_FRAMEWORK_HEX_DIGIT_H
#define VELMORA_FRAMEWORK_HEX_DIGIT_H

inline int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

#endif
