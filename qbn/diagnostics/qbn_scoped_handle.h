// The library's owner of kernel handles (files, processes, tokens): the
// one handle owner (qbn_unique_handle.h) for kernel objects.
#ifndef QBN_SCOPED_HANDLE_H
#define QBN_SCOPED_HANDLE_H

#include "qbn_unique_handle.h"

typedef CQBNUniqueKernelHandle CQBNScopedHandle;

#endif
