// Hands a record that passed the filter to every output its mask selects.
#ifndef QBN_LOG_WRITER_H
#define QBN_LOG_WRITER_H

#include "qbn_log_record.h"

class CQBNLogWriter {
public:
    // Result of the last output called; false when the mask selects none.
    bool write(unsigned short usOutputs, CQBNLogRecord& record) const;
    bool writeSimple(unsigned short usOutputs, CQBNLogRecord& record) const;

private:
    bool dispatch(unsigned short usOutputs, CQBNLogRecord& record,
                  bool bSimple) const;
};

#endif
