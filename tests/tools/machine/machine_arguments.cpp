#include "machine_arguments.h"

namespace machine {

CArguments::CArguments(int argc, wchar_t** argv, int first)
{
    for (int i = first; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg.compare(0, 2, L"--") != 0)
            m_positional.push_back(arg);
        else if (isFlag(arg))
            m_options.push_back({arg, L""});
        else if (i + 1 < argc)
            m_options.push_back({arg, argv[++i]});
        else
            m_bComplete = false;
    }
}

std::wstring CArguments::value(const std::wstring& name,
                               const std::wstring& fallback) const
{
    const std::vector<std::wstring> given = values(name);
    return given.empty() ? fallback : given.back();
}

std::vector<std::wstring> CArguments::values(const std::wstring& name) const
{
    std::vector<std::wstring> found;
    for (const auto& option : m_options) {
        if (option.first == name)
            found.push_back(option.second);
    }
    return found;
}

bool CArguments::has(const std::wstring& name) const
{
    return !values(name).empty();
}

bool CArguments::isFlag(const std::wstring& arg)
{
    return arg == L"--installpath-without-backslash";
}

} // namespace machine
