// The library's one collection: a doubly linked list with a built-in cursor,
// whose elements are heap nodes carrying a value and a caller-chosen key.
//
// Three node kinds decide how a value is held:
//   CQBNObjNode<T>  a copy of the object        add(const T&), getCurrent(T&)
//   CQBNPtrNode<T>  an owned heap object        add(T*),       getCurrent(T*&)
//   CQBNStdNode<T>  a plain value (integer,     add(T),        getCurrent(T&)
//                   enumerator)
// Each kind names these types (InType, OutType, ArgType) so that the list is
// written once for all of them.
//
// Ownership: the list owns its nodes, a pointer node owns its pointee. A
// pointer handed to add or setCurrent of a pointer list belongs to the list
// from that call on; when the call fails, the list frees it.
#ifndef QBN_DBLLIST_H
#define QBN_DBLLIST_H

#include <new>
#include <type_traits>
#include <utility>

#include "qbn_catch.h"
#include "qbn_exceptions.h"

#define QBN_DBLLIST_SOURCE L".\\qbn_dbllist.h"

// ---------------------------------------------------------------------------
// Comparison of stored values: T's own operators where it has them. A value
// class without ordering never counts as less or greater.
// ---------------------------------------------------------------------------
namespace qbn_detail {

template <class T>
using LessOp = decltype(std::declval<const T&>() < std::declval<const T&>());
template <class T>
using GreaterOp = decltype(std::declval<const T&>() > std::declval<const T&>());
template <class T>
using NotEqualOp =
    decltype(std::declval<const T&>() != std::declval<const T&>());

template <class Void, template <class> class Op, class T>
struct HasOperator : std::false_type {
};
template <template <class> class Op, class T>
struct HasOperator<std::void_t<Op<T>>, Op, T> : std::true_type {
};

template <template <class> class Op, class T>
constexpr bool kHasOperator = HasOperator<void, Op, T>::value;

template <class T>
bool isEqualValue(const T& left, const T& right)
{
    return static_cast<bool>(left == right);
}

template <class T>
bool isNotEqualValue(const T& left, const T& right)
{
    if constexpr (kHasOperator<NotEqualOp, T>)
        return static_cast<bool>(left != right);
    else
        return !isEqualValue(left, right);
}

template <class T>
bool isLessValue(const T& left, const T& right)
{
    if constexpr (kHasOperator<LessOp, T>)
        return static_cast<bool>(left < right);
    else
        return false;
}

template <class T>
bool isGreaterValue(const T& left, const T& right)
{
    if constexpr (kHasOperator<GreaterOp, T>)
        return static_cast<bool>(left > right);
    else
        return false;
}

// What getValue hands out for a node whose operations take A: the address of
// the copy for const T&, the owned pointer for const T*, the value otherwise.
template <class A>
struct NodeValue {
    typedef A type;
};
template <class T>
struct NodeValue<const T&> {
    typedef T* type;
};
template <class T>
struct NodeValue<const T*> {
    typedef T* type;
};

// A failure while freeing is noted and never passed on: freeing goes on.
inline void noteDestroyFailure(const wchar_t* szPointerName,
                               unsigned long ulLine)
{
    try {
        CMemDestroyFailWarning warning(szPointerName, QBN_DBLLIST_SOURCE,
                                       ulLine);
    } catch (...) {
        // Noting a failure must not become a second one.
    }
}

// An owned pointee is exactly a T: the list makes its copies as T, and
// callers hand over T's. Value classes with virtual methods but no virtual
// destructor (the string) are therefore deleted as what they are.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"
template <class T>
void deleteOwned(T*& pPointer, const wchar_t* szPointerName,
                 unsigned long ulLine)
{
    try {
        delete pPointer;
    } catch (...) {
        noteDestroyFailure(szPointerName, ulLine);
    }
    pPointer = nullptr;
}
#pragma GCC diagnostic pop

} // namespace qbn_detail

template <class TNode>
class CQBNDblList;

// ---------------------------------------------------------------------------
// CQBNNode<A>: links and key; A is the argument type of the comparisons and
// of setValue. Nodes are never copied: a copy would share an owned pointee.
// ---------------------------------------------------------------------------
template <class A>
class CQBNNode {
public:
    typedef A ArgType;
    typedef typename qbn_detail::NodeValue<A>::type GetType;

    explicit CQBNNode(long lKey)
        : m_pNext(nullptr), m_pPrev(nullptr), m_lKey(lKey)
    {
    }
    // May let a value's failure out, so that the list deleting the node can
    // note it and go on with the rest.
    virtual ~CQBNNode() noexcept(false)
    {
        m_pNext = nullptr;
        m_pPrev = nullptr;
    }

    virtual bool isEqual(A value) const = 0;
    virtual bool isNotEqual(A value) const = 0;
    virtual bool isLess(A value) const = 0;
    virtual bool isGreater(A value) const = 0;
    virtual GetType getValue() = 0;
    virtual void setValue(A value) = 0;

    CQBNNode* getNext() const { return m_pNext; }
    CQBNNode* getPrev() const { return m_pPrev; }
    long getKey() const { return m_lKey; }

private:
    CQBNNode(const CQBNNode&) = delete;
    CQBNNode& operator=(const CQBNNode&) = delete;

    template <class TNode>
    friend class CQBNDblList;

    CQBNNode* m_pNext;
    CQBNNode* m_pPrev;
    long m_lKey;
};

// ---------------------------------------------------------------------------
// CQBNObjNode<T>: holds its own copy. T needs a copy constructor, operator=
// and operator==.
// ---------------------------------------------------------------------------
template <class T>
class CQBNObjNode : public CQBNNode<const T&> {
public:
    typedef T ValueType;
    typedef const T& InType;
    typedef T& OutType;
    static constexpr bool kOwnsPointee = false;

    CQBNObjNode(const T& value, long lKey)
        : CQBNNode<const T&>(lKey), m_value(value)
    {
    }

    bool isEqual(const T& value) const override
    {
        return qbn_detail::isEqualValue(m_value, value);
    }
    bool isNotEqual(const T& value) const override
    {
        return qbn_detail::isNotEqualValue(m_value, value);
    }
    bool isLess(const T& value) const override
    {
        return qbn_detail::isLessValue(m_value, value);
    }
    bool isGreater(const T& value) const override
    {
        return qbn_detail::isGreaterValue(m_value, value);
    }
    T* getValue() override { return &m_value; }
    void setValue(const T& value) override { m_value = value; }

    const T& asArgument() const { return m_value; }
    void copyValueTo(T& out) { out = *getValue(); }

private:
    T m_value;
};

// ---------------------------------------------------------------------------
// CQBNPtrNode<T>: owns m_pPointer, which may be null. Comparisons look at
// the pointees; a null pointer equals only a null pointer and is never less
// or greater.
// ---------------------------------------------------------------------------
template <class T>
class CQBNPtrNode : public CQBNNode<const T*> {
public:
    typedef T ValueType;
    typedef T* InType;
    typedef T*& OutType;
    static constexpr bool kOwnsPointee = true;

    CQBNPtrNode(T* pPointer, long lKey)
        : CQBNNode<const T*>(lKey), m_pPointer(pPointer)
    {
    }
    ~CQBNPtrNode() override
    {
        qbn_detail::deleteOwned(m_pPointer, L"m_pPointer", __LINE__);
    }

    bool isEqual(const T* pValue) const override
    {
        if (!holdsBoth(pValue))
            return m_pPointer == pValue;
        return qbn_detail::isEqualValue(*m_pPointer, *pValue);
    }
    bool isNotEqual(const T* pValue) const override
    {
        if (!holdsBoth(pValue))
            return m_pPointer != pValue;
        return qbn_detail::isNotEqualValue(*m_pPointer, *pValue);
    }
    bool isLess(const T* pValue) const override
    {
        return holdsBoth(pValue) &&
               qbn_detail::isLessValue(*m_pPointer, *pValue);
    }
    bool isGreater(const T* pValue) const override
    {
        return holdsBoth(pValue) &&
               qbn_detail::isGreaterValue(*m_pPointer, *pValue);
    }
    T* getValue() override { return m_pPointer; }
    // The node takes ownership of the new pointee. The one it replaces has
    // no other owner, so it is freed here rather than lost.
    void setValue(const T* pValue) override
    {
        if (pValue == m_pPointer)
            return;
        qbn_detail::deleteOwned(m_pPointer, L"m_pPointer", __LINE__);
        m_pPointer = const_cast<T*>(pValue);
    }

    const T* asArgument() const { return m_pPointer; }
    void copyValueTo(T*& out) { out = getValue(); }

private:
    bool holdsBoth(const T* pValue) const
    {
        return m_pPointer != nullptr && pValue != nullptr;
    }

    T* m_pPointer;
};

// ---------------------------------------------------------------------------
// CQBNStdNode<T>: a plain value, compared with the built-in operators.
// ---------------------------------------------------------------------------
template <class T>
class CQBNStdNode : public CQBNNode<T> {
    static_assert(std::is_arithmetic<T>::value || std::is_enum<T>::value,
                  "plain-value nodes hold integers and enumerators");

public:
    typedef T ValueType;
    typedef T InType;
    typedef T& OutType;
    static constexpr bool kOwnsPointee = false;

    CQBNStdNode(T value, long lKey) : CQBNNode<T>(lKey), m_value(value) {}

    bool isEqual(T value) const override { return m_value == value; }
    bool isNotEqual(T value) const override { return m_value != value; }
    bool isLess(T value) const override { return m_value < value; }
    bool isGreater(T value) const override { return m_value > value; }
    T getValue() override { return m_value; }
    void setValue(T value) override { m_value = value; }

    T asArgument() const { return m_value; }
    void copyValueTo(T& out) { out = getValue(); }

private:
    T m_value;
};

// ---------------------------------------------------------------------------
// CQBNDblList<TNode>: nodes in order of adding, a cursor, a count. Walk with
// moveFirst, then getCurrent and moveNext until moveNext answers false.
// ---------------------------------------------------------------------------
template <class TNode>
class CQBNDblList {
public:
    typedef typename TNode::InType InType;
    typedef typename TNode::OutType OutType;

    CQBNDblList();
    // A copy that fails part-way keeps the nodes copied so far (as
    // assignment does); the failure is logged.
    CQBNDblList(const CQBNDblList& other);
    ~CQBNDblList();

    CQBNDblList& operator=(const CQBNDblList& other);
    bool operator==(const CQBNDblList& other) const;
    bool operator!=(const CQBNDblList& other) const;

    bool add(InType value, long lKey);
    // Takes ownership of an unlinked node; refuses null and linked nodes.
    bool appendNode(TNode* pNode);
    bool clear();

    bool moveFirst();
    bool moveNext();
    bool getCurrent(OutType out) const;
    bool setCurrent(InType value);
    bool findKey(long lKey);

    unsigned long getCount() const { return m_ulCount; }

private:
    static TNode* nextOf(const TNode* pNode)
    {
        return static_cast<TNode*>(pNode->getNext());
    }

    bool copyFrom(const CQBNDblList& other);
    bool appendCopyOf(const TNode& source);
    bool appendPointeeCopy(const TNode& source);
    bool isLinked(const TNode* pNode) const;
    static void destroyNode(TNode* pNode);
    static void discardHandedOver(InType value);

    TNode* m_pHead;
    TNode* m_pTail;
    TNode* m_pCursor;
    unsigned long m_ulCount;
};

// ---- construction ----

template <class TNode>
CQBNDblList<TNode>::CQBNDblList()
    : m_pHead(nullptr), m_pTail(nullptr), m_pCursor(nullptr), m_ulCount(0)
{
}

template <class TNode>
CQBNDblList<TNode>::CQBNDblList(const CQBNDblList& other) : CQBNDblList()
{
    copyFrom(other);
}

template <class TNode>
CQBNDblList<TNode>::~CQBNDblList()
{
    clear();
}

// ---- copying and comparing ----

template <class TNode>
CQBNDblList<TNode>& CQBNDblList<TNode>::operator=(const CQBNDblList& other)
{
    copyFrom(other);
    return *this;
}

template <class TNode>
bool CQBNDblList<TNode>::copyFrom(const CQBNDblList& other)
{
    // Clearing first would empty the source as well.
    if (this == &other)
        return true;
    if (m_ulCount != 0)
        clear();
    return qbnGuard(false, esErrno, QBN_DBLLIST_SOURCE, __LINE__, [&]() {
        for (const TNode* pSource = other.m_pHead; pSource != nullptr;
             pSource = nextOf(pSource)) {
            if (!appendCopyOf(*pSource))
                return false;
        }
        return true;
    });
}

// A pointer node's copy must own a pointee of its own; the other kinds copy
// their value through add.
template <class TNode>
bool CQBNDblList<TNode>::appendCopyOf(const TNode& source)
{
    if constexpr (TNode::kOwnsPointee)
        return appendPointeeCopy(source);
    else
        return add(source.asArgument(), source.getKey());
}

template <class TNode>
bool CQBNDblList<TNode>::appendPointeeCopy(const TNode& source)
{
    typedef typename TNode::ValueType T;
    const T* pSource = source.asArgument();
    T* pCopy = nullptr;
    if (pSource != nullptr) {
        pCopy = new (std::nothrow) T(*pSource);
        if (pCopy == nullptr)
            throw CQBNMemAllocException(L"pNode", QBN_DBLLIST_SOURCE, __LINE__);
    }
    TNode* pNode = new (std::nothrow) TNode(pCopy, source.getKey());
    if (pNode == nullptr) {
        qbn_detail::deleteOwned(pCopy, L"pNode", __LINE__);
        throw CQBNMemAllocException(L"pNode", QBN_DBLLIST_SOURCE, __LINE__);
    }
    return appendNode(pNode);
}

template <class TNode>
bool CQBNDblList<TNode>::operator==(const CQBNDblList& other) const
{
    return qbnGuard(false, esErrno, QBN_DBLLIST_SOURCE, __LINE__, [&]() {
        if (m_ulCount != other.m_ulCount)
            return false;
        const TNode* pMine = m_pHead;
        const TNode* pTheirs = other.m_pHead;
        for (; pMine != nullptr && pTheirs != nullptr;
             pMine = nextOf(pMine), pTheirs = nextOf(pTheirs)) {
            if (pMine->getKey() != pTheirs->getKey() ||
                !pMine->isEqual(pTheirs->asArgument()))
                return false;
        }
        return pMine == nullptr && pTheirs == nullptr;
    });
}

template <class TNode>
bool CQBNDblList<TNode>::operator!=(const CQBNDblList& other) const
{
    return !(*this == other);
}

// ---- adding and removing ----

template <class TNode>
bool CQBNDblList<TNode>::add(InType value, long lKey)
{
    return qbnGuard(false, esErrno, QBN_DBLLIST_SOURCE, __LINE__, [&]() {
        TNode* pNewNode = new (std::nothrow) TNode(value, lKey);
        if (pNewNode == nullptr) {
            discardHandedOver(value);
            throw CQBNMemAllocException(L"pNewNode", QBN_DBLLIST_SOURCE,
                                        __LINE__);
        }
        return appendNode(pNewNode);
    });
}

template <class TNode>
bool CQBNDblList<TNode>::appendNode(TNode* pNode)
{
    return qbnGuard(false, esErrno, QBN_DBLLIST_SOURCE, __LINE__, [&]() {
        if (pNode == nullptr)
            return false;
        // A node already in a list would tie the two lists into one.
        if (isLinked(pNode))
            throw CQBNBadArgException(L"pNode", L"node is already in a list",
                                      QBN_DBLLIST_SOURCE, __LINE__);
        pNode->m_pPrev = m_pTail;
        pNode->m_pNext = nullptr;
        if (m_pTail == nullptr) {
            m_pHead = pNode;
            m_pCursor = pNode;
        } else {
            m_pTail->m_pNext = pNode;
        }
        m_pTail = pNode;
        ++m_ulCount;
        return true;
    });
}

template <class TNode>
bool CQBNDblList<TNode>::isLinked(const TNode* pNode) const
{
    return pNode->getNext() != nullptr || pNode->getPrev() != nullptr ||
           pNode == m_pHead;
}

template <class TNode>
bool CQBNDblList<TNode>::clear()
{
    const bool bCleared =
        qbnGuard(false, esErrno, QBN_DBLLIST_SOURCE, __LINE__, [&]() {
            m_pCursor = m_pHead;
            while (m_pCursor != nullptr) {
                TNode* pTempCursor = m_pCursor;
                m_pCursor = nextOf(pTempCursor);
                destroyNode(pTempCursor);
            }
            return true;
        });
    m_pHead = nullptr;
    m_pTail = nullptr;
    m_pCursor = nullptr;
    m_ulCount = 0;
    return bCleared;
}

template <class TNode>
void CQBNDblList<TNode>::destroyNode(TNode* pNode)
{
    pNode->m_pNext = nullptr;
    pNode->m_pPrev = nullptr;
    qbn_detail::deleteOwned(pNode, L"pTempCursor", __LINE__);
}

// A pointer handed to a pointer list belongs to it from the call on, so a
// call that cannot store it must free it.
template <class TNode>
void CQBNDblList<TNode>::discardHandedOver(InType value)
{
    if constexpr (TNode::kOwnsPointee)
        qbn_detail::deleteOwned(value, L"pPointer", __LINE__);
    else
        (void)value;
}

// ---- the cursor ----

template <class TNode>
bool CQBNDblList<TNode>::moveFirst()
{
    m_pCursor = m_pHead;
    return m_pCursor != nullptr;
}

template <class TNode>
bool CQBNDblList<TNode>::moveNext()
{
    return qbnGuard(false, esErrno, QBN_DBLLIST_SOURCE, __LINE__, [&]() {
        if (m_pCursor == nullptr || m_pCursor == m_pTail)
            return false;
        m_pCursor = nextOf(m_pCursor);
        return true;
    });
}

template <class TNode>
bool CQBNDblList<TNode>::getCurrent(OutType out) const
{
    return qbnGuard(false, esErrno, QBN_DBLLIST_SOURCE, __LINE__, [&]() {
        if (m_pCursor == nullptr)
            return false;
        m_pCursor->copyValueTo(out);
        return true;
    });
}

template <class TNode>
bool CQBNDblList<TNode>::setCurrent(InType value)
{
    return qbnGuard(false, esErrno, QBN_DBLLIST_SOURCE, __LINE__, [&]() {
        if (m_pCursor == nullptr) {
            discardHandedOver(value);
            return false;
        }
        m_pCursor->setValue(value);
        return true;
    });
}

template <class TNode>
bool CQBNDblList<TNode>::findKey(long lKey)
{
    if (!moveFirst())
        return false;
    do {
        if (m_pCursor->getKey() == lKey)
            return true;
    } while (moveNext());
    return false;
}

#endif
