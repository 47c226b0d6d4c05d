// A set of bit flags. Kept as a class so that every question asked of it can
// be traced when method tracing is on.
#ifndef QBN_FLAGS_H
#define QBN_FLAGS_H

class CQBNFlags {
public:
    CQBNFlags(unsigned long ulFlags = 0);
    CQBNFlags(const CQBNFlags& other) = default;

    CQBNFlags& operator=(const CQBNFlags& other);
    bool operator!=(const CQBNFlags& other) const;

    // True when every bit of the mask is set; an empty mask is always held.
    bool hasFlags(unsigned long ulMask) const;
    // Position of the mask's highest bit, when every bit of it is held.
    bool getIndex(unsigned long ulMask, unsigned long& ulIndex) const;

    unsigned long getValue() const { return m_ulFlags; }

private:
    unsigned long m_ulFlags;
};

#endif
