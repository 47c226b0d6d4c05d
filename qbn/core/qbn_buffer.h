// Owned, zero-filled storage of T elements. Storage is wiped before it is
// returned to the heap, so secrets held in buffers do not linger in freed
// memory. An empty buffer owns nothing: pointer null, count 0.
#ifndef QBN_BUFFER_H
#define QBN_BUFFER_H

#include <windows.h>

#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

#include "qbn_catch.h"
#include "qbn_exceptions.h"

#define QBN_BUFFER_SOURCE L".\\qbn_buffer.h"

template <class T>
class CQBNBuffer {
    static_assert(std::is_trivially_copyable<T>::value,
                  "buffers hold plain elements only");

public:
    explicit CQBNBuffer(unsigned long ulNumElems = 0);
    CQBNBuffer(const CQBNBuffer& other);
    CQBNBuffer(const T* pData, unsigned long ulNumElems,
               unsigned long ulOffset = 0);
    ~CQBNBuffer();

    virtual bool allocate(unsigned long ulNumElems);
    virtual bool release();
    virtual bool resize(unsigned long ulNumElems);

    CQBNBuffer& operator=(const CQBNBuffer& other);
    bool append(const CQBNBuffer& other);
    CQBNBuffer& operator+=(const CQBNBuffer& other);
    bool appendAt(const CQBNBuffer& other, unsigned long ulOffset);
    bool write(const CQBNBuffer& buffer, unsigned long ulOffset, bool bGrow);
    bool read(CQBNBuffer& out, unsigned long ulOffset,
              unsigned long& ulNumElems) const;
    bool readInto(T* pBuffer, unsigned long ulOffset,
                  unsigned long& ulNumElems) const;

    T& operator[](unsigned long ulIndex);
    T operator[](unsigned long ulIndex) const;

    T* getBuffer() const { return m_pBuffer; }
    unsigned long getNumElems() const { return m_ulNumElems; }
    bool isValid() const { return m_pBuffer != nullptr && m_ulNumElems != 0; }
    bool zero();

    template <class U = T,
              typename std::enable_if<std::is_same<U, unsigned short>::value,
                                      int>::type = 0>
    CQBNBuffer<unsigned char> toByteBuffer() const;
    template <class U = T,
              typename std::enable_if<std::is_same<U, unsigned char>::value,
                                      int>::type = 0>
    CQBNBuffer<unsigned short> toWideBuffer() const;

protected:
    // These bytes in a buffer of U, the last element padded with zeros when
    // the bytes do not fill it.
    template <class U>
    CQBNBuffer<U> copyBytesAs() const;

    // Raw copy into this buffer's storage; the caller has checked the bounds.
    void copyIn(unsigned long ulOffset, const T* pSource, unsigned long ulCount)
    {
        if (ulCount != 0)
            std::memcpy(m_pBuffer + ulOffset, pSource, ulCount * sizeof(T));
    }

    T* m_pBuffer;
    unsigned long m_ulNumElems;

private:
    static const unsigned long kMaxElems =
        std::numeric_limits<unsigned long>::max() / sizeof(T);

    bool copyFrom(const CQBNBuffer& other);
    void wipeAndFree(T*& pStorage, unsigned long& ulCount);
    void initFromRaw(const T* pData, unsigned long ulNumElems,
                     unsigned long ulOffset);
};

// ---- construction ----

template <class T>
CQBNBuffer<T>::CQBNBuffer(unsigned long ulNumElems)
    : m_pBuffer(nullptr), m_ulNumElems(0)
{
    if (!allocate(ulNumElems))
        throw CQBNBufferInitException(QBN_BUFFER_SOURCE, __LINE__, true);
}

template <class T>
CQBNBuffer<T>::CQBNBuffer(const CQBNBuffer& other)
    : m_pBuffer(nullptr), m_ulNumElems(0)
{
    if (!copyFrom(other))
        throw CQBNBufferInitException(QBN_BUFFER_SOURCE, __LINE__, true);
}

template <class T>
CQBNBuffer<T>::CQBNBuffer(const T* pData, unsigned long ulNumElems,
                          unsigned long ulOffset)
    : m_pBuffer(nullptr), m_ulNumElems(0)
{
    try {
        initFromRaw(pData, ulNumElems, ulOffset);
    } catch (CQBNLogging& caught) {
        qbnLogCaught(caught);
        throw;
    } catch (...) {
        qbnRecordUnhandled(esErrno, QBN_BUFFER_SOURCE, __LINE__);
        throw CQBNBufferInitException(QBN_BUFFER_SOURCE, __LINE__, true);
    }
}

template <class T>
void CQBNBuffer<T>::initFromRaw(const T* pData, unsigned long ulNumElems,
                                unsigned long ulOffset)
{
    if (ulNumElems == 0)
        return;
    if (pData == nullptr) {
        if (!allocate(ulNumElems))
            throw CQBNBufferInitException(QBN_BUFFER_SOURCE, __LINE__, true);
        return;
    }
    const bool bFits = ulOffset <= kMaxElems - ulNumElems;
    if (!bFits || !allocate(ulNumElems + ulOffset))
        throw CQBNBufferInitException(QBN_BUFFER_SOURCE, __LINE__, true);
    copyIn(ulOffset, pData, ulNumElems);
}

template <class T>
CQBNBuffer<T>::~CQBNBuffer()
{
    try {
        CQBNBuffer<T>::release();
    } catch (...) {
        qbnRecordUnhandled(esErrno, QBN_BUFFER_SOURCE, __LINE__);
    }
}

// ---- storage ----

template <class T>
bool CQBNBuffer<T>::allocate(unsigned long ulNumElems)
{
    if (!release())
        return false;
    if (ulNumElems == 0)
        return true;
    return qbnGuard(false, esErrno, QBN_BUFFER_SOURCE, __LINE__, [&]() {
        T* pNew = nullptr;
        if (ulNumElems <= kMaxElems)
            pNew = new (std::nothrow) T[ulNumElems];
        if (pNew == nullptr)
            throw CQBNMemAllocException(L"m_pBuffer", QBN_BUFFER_SOURCE,
                                        __LINE__);
        std::memset(pNew, 0, ulNumElems * sizeof(T));
        m_pBuffer = pNew;
        m_ulNumElems = ulNumElems;
        return true;
    });
}

template <class T>
void CQBNBuffer<T>::wipeAndFree(T*& pStorage, unsigned long& ulCount)
{
    if (pStorage != nullptr) {
        SecureZeroMemory(pStorage, ulCount * sizeof(T));
        delete[] pStorage;
    }
    pStorage = nullptr;
    ulCount = 0;
}

template <class T>
bool CQBNBuffer<T>::release()
{
    if (m_pBuffer == nullptr) {
        m_ulNumElems = 0;
        return true;
    }
    bool bFreed = true;
    try {
        wipeAndFree(m_pBuffer, m_ulNumElems);
    } catch (...) {
        CMemDestroyFailWarning(L"m_pBuffer", QBN_BUFFER_SOURCE, __LINE__);
        bFreed = false;
    }
    m_pBuffer = nullptr;
    m_ulNumElems = 0;
    return bFreed;
}

// The old storage is taken aside rather than copied: allocate then sees an
// empty buffer, and the old elements are wiped once they have been moved.
template <class T>
bool CQBNBuffer<T>::resize(unsigned long ulNumElems)
{
    T* pOld = m_pBuffer;
    unsigned long ulOldCount = m_ulNumElems;
    m_pBuffer = nullptr;
    m_ulNumElems = 0;
    const bool bAllocated = allocate(ulNumElems);
    if (bAllocated)
        copyIn(0, pOld, ulOldCount < ulNumElems ? ulOldCount : ulNumElems);
    wipeAndFree(pOld, ulOldCount);
    return bAllocated;
}

// ---- copying and writing ----

template <class T>
bool CQBNBuffer<T>::copyFrom(const CQBNBuffer& other)
{
    if (this == &other)
        return true;
    if (!allocate(other.m_ulNumElems))
        return false;
    copyIn(0, other.m_pBuffer, other.m_ulNumElems);
    return true;
}

template <class T>
CQBNBuffer<T>& CQBNBuffer<T>::operator=(const CQBNBuffer& other)
{
    copyFrom(other);
    return *this;
}

template <class T>
bool CQBNBuffer<T>::append(const CQBNBuffer& other)
{
    // Appending nothing already holds the result; only appendAt insists on
    // something to write.
    if (other.m_ulNumElems == 0)
        return true;
    return appendAt(other, m_ulNumElems);
}

template <class T>
CQBNBuffer<T>& CQBNBuffer<T>::operator+=(const CQBNBuffer& other)
{
    append(other);
    return *this;
}

template <class T>
bool CQBNBuffer<T>::appendAt(const CQBNBuffer& other, unsigned long ulOffset)
{
    return qbnGuard(false, esErrno, QBN_BUFFER_SOURCE, __LINE__, [&]() {
        if (ulOffset > m_ulNumElems)
            throw CQBNBadArgException(
                L"ulOffset",
                L"can't append a buffer at an offset past the bounds of this "
                L"buffer",
                QBN_BUFFER_SOURCE, __LINE__);
        // Appending a buffer to itself: resizing would move the source.
        if (this == &other) {
            const CQBNBuffer copy(other);
            return appendAt(copy, ulOffset);
        }
        if (other.m_ulNumElems > kMaxElems - ulOffset)
            throw CQBNMemAllocException(L"m_pBuffer", QBN_BUFFER_SOURCE,
                                        __LINE__);
        if (!resize(ulOffset + other.m_ulNumElems))
            return false;
        return write(other, ulOffset, false);
    });
}

template <class T>
bool CQBNBuffer<T>::write(const CQBNBuffer& buffer, unsigned long ulOffset,
                          bool bGrow)
{
    return qbnGuard(false, esErrno, QBN_BUFFER_SOURCE, __LINE__, [&]() {
        if (buffer.m_ulNumElems == 0)
            throw CQBNBadArgException(L"buffer",
                                      L"buffer is of zero size - can't write",
                                      QBN_BUFFER_SOURCE, __LINE__);
        const bool bFits = ulOffset <= m_ulNumElems &&
                           buffer.m_ulNumElems <= m_ulNumElems - ulOffset;
        if (bFits) {
            std::memmove(m_pBuffer + ulOffset, buffer.m_pBuffer,
                         buffer.m_ulNumElems * sizeof(T));
            return true;
        }
        if (!bGrow)
            throw CQBNBadArgException(
                L"buffer", L"buffer + offset will overrun this buffer",
                QBN_BUFFER_SOURCE, __LINE__);
        return appendAt(buffer, ulOffset);
    });
}

template <class T>
bool CQBNBuffer<T>::read(CQBNBuffer& out, unsigned long ulOffset,
                         unsigned long& ulNumElems) const
{
    return qbnGuard(false, esErrno, QBN_BUFFER_SOURCE, __LINE__, [&]() {
        if (&out == this) {
            CQBNBuffer part;
            const bool bRead = read(part, ulOffset, ulNumElems);
            out = part;
            return bRead && out.m_ulNumElems == part.m_ulNumElems;
        }
        out.release();
        if (ulNumElems == 0)
            return true;
        const bool bInside =
            ulOffset <= m_ulNumElems && ulNumElems <= m_ulNumElems - ulOffset;
        if (!bInside) {
            // What is left past the offset, and nothing for an offset that
            // lies beyond the end.
            ulNumElems = ulOffset < m_ulNumElems ? m_ulNumElems - ulOffset : 0;
            throw CQBNBadArgException(
                L"ulNumElems + ulOffset",
                L"can't read more elements than are in this buffer",
                QBN_BUFFER_SOURCE, __LINE__);
        }
        if (!out.allocate(ulNumElems))
            return false;
        out.copyIn(0, m_pBuffer + ulOffset, ulNumElems);
        return true;
    });
}

template <class T>
bool CQBNBuffer<T>::readInto(T* pBuffer, unsigned long ulOffset,
                             unsigned long& ulNumElems) const
{
    return qbnGuard(false, esErrno, QBN_BUFFER_SOURCE, __LINE__, [&]() {
        if (pBuffer == nullptr)
            throw CQBNBadArgException(L"pBuffer", L"value is NULL",
                                      QBN_BUFFER_SOURCE, __LINE__);
        CQBNBuffer part;
        if (!read(part, ulOffset, ulNumElems))
            return false;
        if (ulNumElems != 0)
            std::memcpy(pBuffer, part.m_pBuffer, ulNumElems * sizeof(T));
        return true;
    });
}

// ---- access ----

template <class T>
T& CQBNBuffer<T>::operator[](unsigned long ulIndex)
{
    if (ulIndex >= m_ulNumElems || m_pBuffer == nullptr)
        throw CQBNIndexOutOfBoundsException(QBN_BUFFER_SOURCE, __LINE__);
    return m_pBuffer[ulIndex];
}

template <class T>
T CQBNBuffer<T>::operator[](unsigned long ulIndex) const
{
    if (ulIndex >= m_ulNumElems || m_pBuffer == nullptr)
        throw CQBNIndexOutOfBoundsException(QBN_BUFFER_SOURCE, __LINE__);
    return m_pBuffer[ulIndex];
}

template <class T>
bool CQBNBuffer<T>::zero()
{
    if (m_pBuffer != nullptr)
        SecureZeroMemory(m_pBuffer, m_ulNumElems * sizeof(T));
    return true;
}

// ---- conversions between the two instances ----

template <class T>
template <class U>
CQBNBuffer<U> CQBNBuffer<T>::copyBytesAs() const
{
    CQBNBuffer<U> copy;
    qbnGuardAction(esErrno, QBN_BUFFER_SOURCE, __LINE__, [&]() {
        if (m_ulNumElems >
            std::numeric_limits<unsigned long>::max() / sizeof(T))
            throw CQBNMemAllocException(L"m_pBuffer", QBN_BUFFER_SOURCE,
                                        __LINE__);
        const unsigned long ulBytes = m_ulNumElems * sizeof(T);
        const unsigned long ulCount =
            ulBytes / sizeof(U) + (ulBytes % sizeof(U) != 0 ? 1 : 0);
        if (ulCount != 0 && copy.allocate(ulCount))
            std::memcpy(copy.getBuffer(), m_pBuffer, ulBytes);
    });
    return copy;
}

template <class T>
template <class U, typename std::enable_if<
                       std::is_same<U, unsigned short>::value, int>::type>
CQBNBuffer<unsigned char> CQBNBuffer<T>::toByteBuffer() const
{
    return copyBytesAs<unsigned char>();
}

template <class T>
template <class U, typename std::enable_if<
                       std::is_same<U, unsigned char>::value, int>::type>
CQBNBuffer<unsigned short> CQBNBuffer<T>::toWideBuffer() const
{
    return copyBytesAs<unsigned short>();
}

#endif
