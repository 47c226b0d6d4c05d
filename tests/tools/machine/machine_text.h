// Text helpers of the machine tool: everything it prints or records is
// UTF-8, one fact per line, with control characters spelled out so that a
// line of the patch log (which ends in CR LF) stays one line of output.
#ifndef QBN_MACHINE_TEXT_H
#define QBN_MACHINE_TEXT_H

#include <string>

namespace machine {

std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& bytes);
// CR, LF, TAB and backslash-free control characters as \r, \n, \t, \xNN.
std::wstring escaped(const std::wstring& text);
// Writes `text` and a line feed to standard output as UTF-8.
void printLine(const std::wstring& text);
// Appends `text` and a line feed to the file, as UTF-8; false on failure.
bool appendLine(const std::wstring& path, const std::wstring& text);

bool fileExists(const std::wstring& path);
// The whole file; false when it cannot be read.
bool readFileBytes(const std::wstring& path, std::string& bytes);
// `folder` and `name` with exactly one backslash between them.
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);
bool equalsIgnoringCase(const std::wstring& left, const std::wstring& right);

} // namespace machine

#endif
