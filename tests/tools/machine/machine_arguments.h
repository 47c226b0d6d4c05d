// The machine tool's command line after the command: positional arguments,
// options as "--name value" pairs (a name may repeat) and flags.
#ifndef QBN_MACHINE_ARGUMENTS_H
#define QBN_MACHINE_ARGUMENTS_H

#include <string>
#include <utility>
#include <vector>

namespace machine {

class CArguments {
public:
    // The arguments from argv[first] on.
    CArguments(int argc, wchar_t** argv, int first);

    // False when an option lacks its value.
    bool isComplete() const { return m_bComplete; }
    const std::vector<std::wstring>& positional() const { return m_positional; }
    // The last value given for the option, or `fallback`.
    std::wstring value(const std::wstring& name,
                       const std::wstring& fallback) const;
    // Every value given for the option, in order.
    std::vector<std::wstring> values(const std::wstring& name) const;
    bool has(const std::wstring& name) const;

private:
    static bool isFlag(const std::wstring& arg);

    std::vector<std::wstring> m_positional;
    std::vector<std::pair<std::wstring, std::wstring>> m_options;
    bool m_bComplete = true;
};

} // namespace machine

#endif
