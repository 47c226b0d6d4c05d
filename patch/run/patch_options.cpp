#include "patch_options.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

const wchar_t* const kSilentSwitches[] = {L"/s", L"/S", L"-s", L"-S"};

// The arguments as Windows splits a command line for a program's runtime:
// blanks separate them outside quotes, quotes are taken off, and
// backslashes count only before a quote: 2n of them and a quote give n
// backslashes and open or close a quoted part, 2n+1 give n and a quote
// that is text. So a quoted argument that merely mentions a switch, escaped
// quotes and all, never counts as one.
const wchar_t* takeQuotesAndBackslashes(const wchar_t* pUnit,
                                        std::wstring& current, bool& bQuoted)
{
    std::wstring::size_type ulBackslashes = 0;
    while (*pUnit == L'\\') {
        ++ulBackslashes;
        ++pUnit;
    }
    if (*pUnit != L'"') {
        current.append(ulBackslashes, L'\\');
        return pUnit;
    }
    current.append(ulBackslashes / 2, L'\\');
    if (ulBackslashes % 2 == 1)
        current += L'"';
    else
        bQuoted = !bQuoted;
    return pUnit + 1;
}

std::vector<std::wstring> argumentsOf(const wchar_t* szCommandLine)
{
    std::vector<std::wstring> arguments;
    std::wstring current;
    bool bQuoted = false;
    bool bInArgument = false;
    const wchar_t* pUnit = szCommandLine;
    while (pUnit != nullptr && *pUnit != 0) {
        if ((*pUnit == L' ' || *pUnit == L'\t') && !bQuoted) {
            if (bInArgument)
                arguments.push_back(current);
            current.clear();
            bInArgument = false;
            ++pUnit;
            continue;
        }
        bInArgument = true;
        if (*pUnit == L'\\' || *pUnit == L'"')
            pUnit = takeQuotesAndBackslashes(pUnit, current, bQuoted);
        else
            current += *pUnit++;
    }
    if (bInArgument)
        arguments.push_back(current);
    return arguments;
}

// "/name" or "-name" as a whole argument, in any letter case.
bool hasSwitch(const std::vector<std::wstring>& arguments,
               const wchar_t* szName)
{
    for (const std::wstring& argument : arguments) {
        if (argument.size() > 1 &&
            (argument[0] == L'/' || argument[0] == L'-') &&
            CompareStringOrdinal(argument.c_str() + 1, -1, szName, -1, TRUE) ==
                CSTR_EQUAL)
            return true;
    }
    return false;
}

} // namespace

bool isSilentCommandLine(const CQBNWCharString& commandLine)
{
    for (const wchar_t* szSwitch : kSilentSwitches) {
        if (commandLine.contains(CQBNWCharString(szSwitch)))
            return true;
    }
    return false;
}

bool isUninstallCommandLine(const CQBNWCharString& commandLine)
{
    return hasSwitch(argumentsOf(commandLine.getText()), L"uninstall");
}

PatchOptions readPatchOptions(const wchar_t* szCommandLine)
{
    const CQBNWCharString commandLine(szCommandLine);
    const std::vector<std::wstring> arguments = argumentsOf(szCommandLine);
    PatchOptions options;
    options.bSilent = isSilentCommandLine(commandLine);
    options.bRemoval = hasSwitch(arguments, L"uninstall");
    options.bCheck = hasSwitch(arguments, L"check");
    options.bExitCodes = hasSwitch(arguments, L"ExitCodes");
    return options;
}
