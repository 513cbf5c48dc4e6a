#include "quenzel_error.h"

const char* QuenzelErrorName(int code) {
  if (code < 0 || code >= static_cast<int>(sizeof(QuenzelErrorNames) / sizeof(*QuenzelErrorNames)))
    return QuenzelErrorNames[static_cast<int>(QuenzelError::kNotFound)];
  return QuenzelErrorNames[code];
}

CQuenzelException::CQuenzelException(const std::string& method, const std::string& auditText,
                                     int error, const std::string& recordName,
                                     const std::string& fieldName, const std::string& context2,
                                     const std::string& context1)
    : m_Error(error),
      m_Extra(0),
      m_Method(method),
      m_FieldName(fieldName),
      m_AuditText(auditText),
      m_ErrorName(QuenzelErrorName(error)),
      m_Context1(context1),
      m_Context2(context2),
      m_RecordName(recordName) {}
