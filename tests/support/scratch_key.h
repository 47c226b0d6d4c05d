// A scratch key of one test's own: a unique name below Software\QbnTest, in
// one root and registry view, whose tree is gone again from both views when
// the object is destroyed, however the test ends; and the raw writes a test
// asserts on.
//
//   qbntest::ScratchKey key(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
//   key.setText(L"v", REG_SZ, L"text");      // creates the key
//   EXPECT_TRUE(qbntest::keyExists(HKEY_LOCAL_MACHINE, key.sub(L"Child")));
#ifndef QBN_TEST_SCRATCH_KEY_H
#define QBN_TEST_SCRATCH_KEY_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "registry_raw.h"

namespace qbntest {

const wchar_t kScratchParent[] = L"Software\\QbnTest";

inline void putValue(HKEY hRoot, const std::wstring& path,
                     const std::wstring& name, DWORD dwType, const void* pData,
                     DWORD dwSize, REGSAM view = 0)
{
    ASSERT_EQ(ERROR_SUCCESS,
              writeValue(hRoot, path, name, dwType, pData, dwSize, view))
        << path << " " << name;
}

template <class Bytes>
void putBytes(HKEY hRoot, const std::wstring& path, const std::wstring& name,
              DWORD dwType, const Bytes& bytes, REGSAM view = 0)
{
    putValue(hRoot, path, name, dwType, bytes.empty() ? nullptr : &bytes[0],
             static_cast<DWORD>(bytes.size()), view);
}

inline void putText(HKEY hRoot, const std::wstring& path,
                    const std::wstring& name, const std::wstring& text,
                    DWORD dwType = REG_SZ, REGSAM view = 0)
{
    ASSERT_EQ(ERROR_SUCCESS, writeText(hRoot, path, name, text, dwType, view))
        << path << " " << name;
}

inline void makeKey(HKEY hRoot, const std::wstring& path, REGSAM view = 0)
{
    CQBNUniqueRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, createKey(hRoot, path, view, key)) << path;
}

// The tree at `path` from both views, and its parent too once no other
// test's key is left in it.
inline void removeScratchTree(HKEY hRoot, const std::wstring& path)
{
    const std::wstring parent = path.substr(0, path.rfind(L'\\'));
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        deleteTree(hRoot, path, view);
        RegDeleteKeyExW(hRoot, parent.c_str(), view, 0);
    }
}

class ScratchKey {
public:
    explicit ScratchKey(HKEY hRoot = HKEY_CURRENT_USER, REGSAM view = 0)
        : m_hRoot(hRoot), m_view(view),
          m_path(std::wstring(kScratchParent) + L"\\" + uniqueName())
    {
    }
    // The same key seen in another registry view.
    ScratchKey(const ScratchKey& other, REGSAM view)
        : m_hRoot(other.m_hRoot), m_view(view), m_path(other.m_path)
    {
    }
    ~ScratchKey() { remove(); }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    void remove() const { removeScratchTree(m_hRoot, m_path); }

    HKEY root() const { return m_hRoot; }
    REGSAM view() const { return m_view; }
    const std::wstring& path() const { return m_path; }
    // The key itself for an empty relative path.
    std::wstring sub(const std::wstring& relative) const
    {
        return relative.empty() ? m_path : m_path + L"\\" + relative;
    }

    void create() const { makeKey(m_hRoot, m_path, m_view); }
    bool exists() const { return keyExists(m_hRoot, m_path, m_view); }
    template <class Bytes>
    void set(const std::wstring& name, DWORD dwType, const Bytes& bytes) const
    {
        putBytes(m_hRoot, m_path, name, dwType, bytes, m_view);
    }
    void setText(const std::wstring& name, DWORD dwType,
                 const std::wstring& text) const
    {
        putText(m_hRoot, m_path, name, text, dwType, m_view);
    }
    template <class Bytes>
    bool get(const std::wstring& name, DWORD& dwType, Bytes& bytes) const
    {
        return readValue(m_hRoot, m_path, name, dwType, bytes, m_view);
    }

private:
    HKEY m_hRoot;
    REGSAM m_view;
    std::wstring m_path;
};

} // namespace qbntest

#endif
