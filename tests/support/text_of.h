// A library string as a std::wstring, so that gtest compares and prints it.
#ifndef QBN_TEST_TEXT_OF_H
#define QBN_TEST_TEXT_OF_H

#include <string>

#include "qbn_wchar_string.h"

namespace qbntest {

inline std::wstring textOf(const CQBNWCharString& text)
{
    return text.getText();
}

} // namespace qbntest

#endif
