#include "qbn_log_writer.h"

#include "qbn_log_outputs.h"

bool CQBNLogWriter::write(unsigned short usOutputs, CQBNLogRecord& record) const
{
    return dispatch(usOutputs, record, false);
}

bool CQBNLogWriter::writeSimple(unsigned short usOutputs,
                                CQBNLogRecord& record) const
{
    return dispatch(usOutputs, record, true);
}

// Fixed order: text, XML, HTML, server, unknown. Each output lives only for
// its call; the last one called decides the result.
bool CQBNLogWriter::dispatch(unsigned short usOutputs, CQBNLogRecord& record,
                             bool bSimple) const
{
    bool bResult = false;
    if (usOutputs & loText) {
        CQBNLoggingOutputText text;
        bResult = bSimple ? text.writeSimple(record) : text.write(record);
    }
    if (usOutputs & loXML)
        bResult = CQBNLoggingOutputXML().write(record);
    if (usOutputs & loHTML)
        bResult = CQBNLoggingOutputXML().write(record);
    if (usOutputs & loServer)
        bResult = CQBNLoggingOutputServer().write(record);
    if (usOutputs & loUnknown)
        bResult = CQBNLoggingOutputUnknown().write(record);
    return bResult;
}
