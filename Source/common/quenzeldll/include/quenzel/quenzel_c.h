/* quenzel_c.h: the C interface of the quenzel library (C99, usable from C
 * and C++), for hosts that cannot use the C++ classes: other compilers and
 * other languages loading the shared library (quenzel.dll, libquenzel.so).
 *
 * It wraps the C++ interface one call for one call and adds no behaviour.
 * docs/c-interface.md describes every function; in short:
 *
 * Handles. QuenzelCatalogue is a CQuenzelFile, QuenzelRecord a
 * CQuenzelRecord, QuenzelField a CQuenzelField. The host creates and frees
 * catalogues (quenzel_catalogue_create/_free) and working copies of records
 * (quenzel_record_copy/_free). Templates from a catalogue are const and owned
 * by it until it is freed. Field handles belong to their record and stay
 * valid until its field list changes (a field created, a reset that drops
 * fields, the record freed).
 *
 * Results. Field accessors return the library's result codes 0 to 6
 * (QUENZEL_NONE ... QUENZEL_NOT_FOUND); calls that give a bool in C++ return
 * 1 or 0; lookups return NULL when nothing is found. The negative codes
 * below belong to this layer. No C++ exception leaves a function.
 *
 * Strings. Text in is a zero-terminated const char*, or pointer and length
 * where a value may hold zero bytes; NULL reads as the empty text. Text out
 * is copied into the caller's buffer (buffer, capacity): truncated if need
 * be and always zero-terminated when capacity > 0. Every such function tells
 * the size it needs, terminating zero included, so that a caller can retry
 * with a larger buffer: through its result (functions returning size_t,
 * where 0 means an invalid argument) or through `*needed` (functions that
 * also return a result code, which then is QUENZEL_BUFFER_TOO_SMALL).
 *
 * Threads. As the C++ classes: one thread at a time per handle, one
 * definition file read at a time per process. */
#ifndef QUENZEL_QUENZEL_C_H_
#define QUENZEL_QUENZEL_C_H_

#include <stddef.h>

#include "quenzel_export.h"

/* The calling convention of every function: stdcall on 32-bit Windows,
 * the platform's C convention elsewhere. Every name is exported undecorated
 * (on 32-bit Windows also with its @<bytes> suffix, which import libraries use). */
#if defined(_WIN32) && !defined(_WIN64)
#define QUENZEL_C_CALL __stdcall
#else
#define QUENZEL_C_CALL
#endif

/* The version of this interface that the header describes; it grows when a
 * function is added or changed. Compare with quenzel_interface_version(). */
#define QUENZEL_C_INTERFACE_VERSION 2

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QuenzelCatalogue QuenzelCatalogue;
typedef struct QuenzelRecord QuenzelRecord;
typedef struct QuenzelField QuenzelField;

/* Results. 0 to 6 are QuenzelError; the negative codes are this layer's. */
enum QuenzelResult {
  QUENZEL_NONE = 0,
  QUENZEL_RANGE_ERROR = 1,
  QUENZEL_RANGE_WARNING = 2, /* a warning: the field's default was stored */
  QUENZEL_CONVERT_FAIL = 3,
  QUENZEL_LENGTH_ERROR = 4,
  QUENZEL_INVALID_NUMERIC = 5,
  QUENZEL_NOT_FOUND = 6,
  QUENZEL_INVALID_ARGUMENT = -2, /* a NULL handle or pointer, an unknown selector */
  QUENZEL_BUFFER_TOO_SMALL = -3, /* `*needed` tells the size to retry with */
  QUENZEL_OUT_OF_MEMORY = -4,    /* an allocation failed */
  QUENZEL_INTERNAL_ERROR = -5    /* the library raised an exception */
};

/* ---- The library ---- */

/* QUENZEL_C_INTERFACE_VERSION of the loaded library. */
QUENZEL_API int QUENZEL_C_CALL quenzel_interface_version(void);
/* The library's version text, e.g. "3.1.204". */
QUENZEL_API size_t QUENZEL_C_CALL quenzel_library_version(char* buffer, size_t capacity);
/* The name of a result: "None" to "Not Found" as QuenzelErrorName, and the
 * names of this layer's codes ("Invalid Argument", ...). Never 0. */
QUENZEL_API size_t QUENZEL_C_CALL quenzel_result_name(int result, char* buffer, size_t capacity);
/* The first type name of a field type code, "" when unknown. Never 0. */
QUENZEL_API size_t QUENZEL_C_CALL quenzel_type_name(int type, char* buffer, size_t capacity);
/* The word of an action code, "" for 16 and unknown codes. Never 0. */
QUENZEL_API size_t QUENZEL_C_CALL quenzel_action_name(int action, char* buffer, size_t capacity);

/* Lays a registry value over the registry for this process:
 * HKEY_LOCAL_MACHINE\<key>, value <value_name>, e.g. key
 * "SOFTWARE\\TORVANHOLME\\Environment", value "ZQEXE". QUENZEL_NONE, or
 * QUENZEL_INVALID_ARGUMENT for a NULL or empty key or value name. */
QUENZEL_API int QUENZEL_C_CALL quenzel_set_setting(const char* key, const char* value_name,
                                                   const char* value);
/* Drops every value quenzel_set_setting laid over the registry. */
QUENZEL_API void QUENZEL_C_CALL quenzel_clear_settings(void);

/* Where the latest catalogue load on this thread stopped
 * (QuenzelLastReadError); kind 0 when it loaded. */
typedef struct QuenzelReadStop {
  int kind;          /* ReadErrorKind: 0 none, 1 UTF-16, 2 cannot open, 3 header, 4 action,
                        5 field line, 6 read error */
  int line;          /* line of the file, from 1 */
  int token;         /* tokens read on that line */
  int record_number; /* record of the failing block */
  int field_number;  /* field number of a rejected field line */
} QuenzelReadStop;
/* Fills `*stop` (when not NULL) and copies the definition path. */
QUENZEL_API size_t QUENZEL_C_CALL quenzel_last_read_error(QuenzelReadStop* stop, char* path,
                                                          size_t capacity);

/* ---- Catalogues ---- */

/* An empty catalogue; NULL when out of memory. */
QUENZEL_API QuenzelCatalogue* QUENZEL_C_CALL quenzel_catalogue_create(void);
/* Frees the catalogue and its templates; NULL is ignored. */
QUENZEL_API void QUENZEL_C_CALL quenzel_catalogue_free(QuenzelCatalogue* catalogue);
/* CQuenzelFile::Initialise: 1 loaded, 0 not (quenzel_last_read_error tells
 * where the read stopped), or a negative code. */
QUENZEL_API int QUENZEL_C_CALL quenzel_catalogue_initialise(QuenzelCatalogue* catalogue,
                                                            const char* file_name,
                                                            const char* log_name, char* reserved,
                                                            const char* required_version);
/* CQuenzelFile::InitialiseFromPath: loads the definition file at `path`
 * (absolute, or relative to the working directory) without the registry's
 * folder, the cache or a version check. 1 loaded, 0 not, or a negative
 * code (QUENZEL_INVALID_ARGUMENT for a NULL or empty path). */
QUENZEL_API int QUENZEL_C_CALL quenzel_catalogue_initialise_from_path(QuenzelCatalogue* catalogue,
                                                                      const char* path,
                                                                      const char* log_name);
/* The template of a record by number or by name (case-sensitive), or NULL. */
QUENZEL_API const QuenzelRecord* QUENZEL_C_CALL
quenzel_catalogue_record(QuenzelCatalogue* catalogue, int number);
QUENZEL_API const QuenzelRecord* QUENZEL_C_CALL
quenzel_catalogue_record_by_name(QuenzelCatalogue* catalogue, const char* name);
/* The number of templates, and the template at `index` in the order of the
 * catalogue's keys (NULL past the end). */
QUENZEL_API size_t QUENZEL_C_CALL quenzel_catalogue_record_count(const QuenzelCatalogue* catalogue);
QUENZEL_API const QuenzelRecord* QUENZEL_C_CALL
quenzel_catalogue_record_at(const QuenzelCatalogue* catalogue, size_t index);
/* The path the catalogue read its definitions from. */
QUENZEL_API size_t QUENZEL_C_CALL
quenzel_catalogue_definition_path(const QuenzelCatalogue* catalogue, char* buffer, size_t capacity);

/* ---- Records ---- */

/* A working copy of a template or of another record; NULL when out of
 * memory. Free it with quenzel_record_free. */
QUENZEL_API QuenzelRecord* QUENZEL_C_CALL quenzel_record_copy(const QuenzelRecord* record);
/* Frees a copy; NULL is ignored. Never pass a template. */
QUENZEL_API void QUENZEL_C_CALL quenzel_record_free(QuenzelRecord* record);

/* The record number, 0 for a NULL record. */
QUENZEL_API int QUENZEL_C_CALL quenzel_record_number(const QuenzelRecord* record);
/* The action code (16: none, also for a NULL record). */
QUENZEL_API int QUENZEL_C_CALL quenzel_record_action(const QuenzelRecord* record);
/* The record name; may be empty. */
QUENZEL_API size_t QUENZEL_C_CALL quenzel_record_name(const QuenzelRecord* record, char* buffer,
                                                      size_t capacity);
/* The name of the key field KEYPOS F<position>, position 1 to 3; "" when
 * there is none. */
QUENZEL_API size_t QUENZEL_C_CALL quenzel_record_key_name(const QuenzelRecord* record, int position,
                                                          char* buffer, size_t capacity);

/* The number of fields and the field at a position (GetFieldByIdx). */
QUENZEL_API size_t QUENZEL_C_CALL quenzel_record_field_count(const QuenzelRecord* record);
QUENZEL_API QuenzelField* QUENZEL_C_CALL quenzel_record_field_at(QuenzelRecord* record,
                                                                 size_t index);
/* FindField: by number or by exact name; NULL when absent. */
QUENZEL_API QuenzelField* QUENZEL_C_CALL quenzel_record_find_field(QuenzelRecord* record,
                                                                   int number);
QUENZEL_API QuenzelField* QUENZEL_C_CALL quenzel_record_find_field_by_name(QuenzelRecord* record,
                                                                           const char* name);
/* CreateFindField: as the lookups, but a missing field is created (a STRING
 * field). Creating one invalidates the record's other field handles. */
QUENZEL_API QuenzelField* QUENZEL_C_CALL quenzel_record_create_find_field(QuenzelRecord* record,
                                                                          int number);
QUENZEL_API QuenzelField* QUENZEL_C_CALL
quenzel_record_create_find_field_by_name(QuenzelRecord* record, const char* name);

/* CheckKeyFieldSupplied: 1 or 0. */
QUENZEL_API int QUENZEL_C_CALL quenzel_record_check_key_field_supplied(QuenzelRecord* record);
/* Reset: every field back to its default; fields marked text-only are
 * dropped (and with them the record's field handles). QUENZEL_NONE. */
QUENZEL_API int QUENZEL_C_CALL quenzel_record_reset(QuenzelRecord* record);

/* The measurement operations, as the record's methods of the same names.
 * Flags are 0 or non-zero. QUENZEL_NONE or a negative code. */
QUENZEL_API int QUENZEL_C_CALL quenzel_record_weight_conversion_on(QuenzelRecord* record, int on);
QUENZEL_API int QUENZEL_C_CALL quenzel_record_driver_set_field_weight_details(QuenzelRecord* record,
                                                                              int field_number,
                                                                              int host_ms,
                                                                              int host_sf);
QUENZEL_API int QUENZEL_C_CALL
quenzel_record_driver_set_record_weight_details(QuenzelRecord* record, int host_ms, int host_sf,
                                                int backward_compatible, int unused, int uom_on);
/* GetPriceBase and GetUOMFieldValue: 1 or 0. */
QUENZEL_API int QUENZEL_C_CALL quenzel_record_get_price_base(QuenzelRecord* record);
QUENZEL_API int QUENZEL_C_CALL quenzel_record_get_uom_field_value(QuenzelRecord* record);

/* Measurement settings for quenzel_record_measurement: the scale's as the
 * registry gives them now (the record's Get... methods), then the record's
 * own members. */
enum QuenzelMeasurement {
  QUENZEL_SOURCE_BASE_WEIGHT_UNITS = 0,        /* GetSourceBaseWeightUnits */
  QUENZEL_SOURCE_TOTALS_BASE_WEIGHT_UNITS = 1, /* GetSourceTotalsBaseWeightUnits */
  QUENZEL_NET_WEIGHT_BASE_WEIGHT_UNITS = 2,    /* GetNetWeightBaseWeightUnits */
  QUENZEL_PRICE_UNITS = 3,                     /* GetPriceUnits */
  QUENZEL_SOURCE_SCALING_FACTOR = 4,           /* GetSourceScalingFactor */
  QUENZEL_SOURCE_TOTALS_SCALING_FACTOR = 5,    /* GetSourceTotalsScalingFactor */
  QUENZEL_NET_WEIGHT_SCALING_FACTOR = 6,       /* GetNetWeightScalingFactor */
  QUENZEL_BACKWARD_COMPATIBLE_MODE = 7,        /* GetBackwardCompatibleMode */
  QUENZEL_DESTINATION_BASE_WEIGHT_UNITS = 8,   /* destinationBaseWeightUnits (host) */
  QUENZEL_DESTINATION_SCALING_FACTOR = 9,      /* destinationScalingFactor (host) */
  QUENZEL_CONVERSION_ON = 10,                  /* conversionOn */
  QUENZEL_UOM_FLAG = 11,                       /* uomFlag */
  QUENZEL_PRICE_BASE_FLAG = 12,                /* priceBaseFlag */
  QUENZEL_RANGE_WARNING_FLAG = 13              /* rangeWarning (records 8 and 9) */
};
/* One measurement setting into `*value`. */
QUENZEL_API int QUENZEL_C_CALL quenzel_record_measurement(const QuenzelRecord* record, int which,
                                                          int* value);

/* Writes the record as one data record (operator<<) into `buffer`, with a
 * terminating zero; `*needed` is its byte count + 1. QUENZEL_NONE, or
 * QUENZEL_BUFFER_TOO_SMALL. Writing hands the record's measurement settings
 * to its weight fields, also when `buffer` is NULL and `capacity` is 0. */
QUENZEL_API int QUENZEL_C_CALL quenzel_record_write(QuenzelRecord* record, char* buffer,
                                                    size_t capacity, size_t* needed);
/* Reads one data record from `size` bytes at `data` into the record
 * (operator>>; the record is not reset first). 1 when it read, 0 when it
 * failed, or a negative code. `*consumed` (when not NULL) is the number of
 * bytes read: on failure, where the reader stopped. */
QUENZEL_API int QUENZEL_C_CALL quenzel_record_read(QuenzelRecord* record, const char* data,
                                                   size_t size, size_t* consumed);

/* Where and why a data-record read stopped, and where the next record can be
 * tried: the record boundary (docs/data-record-format.md). */
typedef struct QuenzelRecordStop {
  int fault;             /* 0 the record read; 1 no record number; 2 another record's number;
                            3 neither a field number nor the closing 0; 4 no length;
                            5 a field the record does not define; 6 the input ends inside the
                            value; 7 an empty value; 8 the field's setter refused the value */
  int field_number;      /* the element the fault concerns; 0 for none */
  int result;            /* the setter's result (fault 8), else QUENZEL_NONE */
  size_t element_offset; /* where the reader began to look for that element */
  size_t consumed;       /* where the read stopped, as quenzel_record_read's `*consumed` */
  size_t next;           /* the boundary: `consumed` after a read, else the end of the
                            record's frame, or just after the token that broke it */
} QuenzelRecordStop;
/* quenzel_record_read that also fills `*stop` (which must not be NULL). */
QUENZEL_API int QUENZEL_C_CALL quenzel_record_read_stop(QuenzelRecord* record, const char* data,
                                                        size_t size, QuenzelRecordStop* stop);

/* ---- Fields ---- */

/* SetValue/SetValueUTF8 from text of `length` bytes, in the definition's code
 * page or in UTF-8. An empty text on a single-character field, which the C++
 * setter refuses with an exception, gives QUENZEL_INTERNAL_ERROR. */
QUENZEL_API int QUENZEL_C_CALL quenzel_field_set_text(QuenzelField* field, const char* text,
                                                      size_t length, int private_override);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_set_text_utf8(QuenzelField* field, const char* text,
                                                           size_t length, int private_override);
/* GetValue/GetValueUTF8 as text; `*needed` is the text's byte count + 1. */
QUENZEL_API int QUENZEL_C_CALL quenzel_field_get_text(QuenzelField* field, char* buffer,
                                                      size_t capacity, size_t* needed);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_get_text_utf8(QuenzelField* field, char* buffer,
                                                           size_t capacity, size_t* needed);

/* The 64-bit integer accessors (the core number setter and getter). */
QUENZEL_API int QUENZEL_C_CALL quenzel_field_set_int64(QuenzelField* field, long long value,
                                                       int private_override);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_set_int64_utf8(QuenzelField* field, long long value,
                                                            int private_override);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_get_int64(QuenzelField* field, long long* value);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_get_int64_utf8(QuenzelField* field, long long* value);

/* The character accessors (the unsigned-char setter and getter). */
QUENZEL_API int QUENZEL_C_CALL quenzel_field_set_char(QuenzelField* field, unsigned char value,
                                                      int private_override);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_set_char_utf8(QuenzelField* field, unsigned char value,
                                                           int private_override);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_get_char(QuenzelField* field, unsigned char* value);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_get_char_utf8(QuenzelField* field,
                                                           unsigned char* value);

/* The float accessors, the form a host keeping weights as floats uses: the
 * setter cuts toward zero, the getter gives the nearest float. */
QUENZEL_API int QUENZEL_C_CALL quenzel_field_set_float(QuenzelField* field, float value,
                                                       int private_override);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_set_float_utf8(QuenzelField* field, float value,
                                                            int private_override);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_get_float(QuenzelField* field, float* value);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_get_float_utf8(QuenzelField* field, float* value);

/* SetFieldConversionDetails. QUENZEL_NONE or a negative code. */
QUENZEL_API int QUENZEL_C_CALL quenzel_field_set_conversion_details(
    QuenzelField* field, int conversion_on, int scale_ms, int scale_sf, int host_ms, int host_sf,
    int totals_ms, int convert_field, int flag_a, int flag_b);
/* Reset, SetSupplied and SetTreatAsText. QUENZEL_NONE or a negative code. */
QUENZEL_API int QUENZEL_C_CALL quenzel_field_reset(QuenzelField* field);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_set_supplied(QuenzelField* field, int supplied);
QUENZEL_API int QUENZEL_C_CALL quenzel_field_set_treat_as_text(QuenzelField* field);

/* Number attributes for quenzel_field_int_attribute. */
enum QuenzelFieldNumber {
  QUENZEL_FIELD_NUMBER = 0,        /* m_FieldNumber */
  QUENZEL_FIELD_TYPE = 1,          /* m_Type, a FieldType code (quenzel_type_name) */
  QUENZEL_FIELD_LENGTH = 2,        /* m_Length */
  QUENZEL_FIELD_MIN = 3,           /* m_Min, -1 when unbounded */
  QUENZEL_FIELD_MAX = 4,           /* m_Max, -1 when unbounded */
  QUENZEL_FIELD_DEFAULT = 5,       /* m_Default */
  QUENZEL_FIELD_PSEUDO_NUMBER = 6, /* m_PseudoNumber, -1 when none */
  QUENZEL_FIELD_SPLIT_COUNT_1 = 7, /* m_SplitCnt1 */
  QUENZEL_FIELD_SPLIT_COUNT_2 = 8, /* m_SplitCnt2 */
  QUENZEL_FIELD_RECORD_NUMBER = 9, /* m_RecordNumber */
  QUENZEL_FIELD_HOST_MS = 10,      /* m_HostMS */
  QUENZEL_FIELD_HOST_SF = 11,      /* m_HostSF */
  QUENZEL_FIELD_SCALE_MS = 12,     /* m_ScaleMS */
  QUENZEL_FIELD_SCALE_SF = 13      /* m_ScaleSF */
};
QUENZEL_API int QUENZEL_C_CALL quenzel_field_int_attribute(const QuenzelField* field, int which,
                                                           long long* value);

/* Text attributes for quenzel_field_text_attribute. */
enum QuenzelFieldText {
  QUENZEL_FIELD_NAME = 0,         /* m_Name */
  QUENZEL_FIELD_VALUE = 1,        /* m_Value: the stored UTF-8 text, unformatted */
  QUENZEL_FIELD_REJECTED = 2,     /* m_Rejected: the refused text, or "old:new" */
  QUENZEL_FIELD_VALUE_LIST = 3,   /* m_ValueList */
  QUENZEL_FIELD_VALID_CHARS = 4,  /* m_ValidChars */
  QUENZEL_FIELD_INIT_VALUE = 5,   /* m_InitValue */
  QUENZEL_FIELD_COMMENT = 6,      /* m_Comment */
  QUENZEL_FIELD_KEY = 7,          /* m_Key */
  QUENZEL_FIELD_KEY_POSITION = 8, /* m_KeyPos */
  QUENZEL_FIELD_CODE_PAGE = 9,    /* m_CodePage */
  QUENZEL_FIELD_RECORD_NAME = 10  /* m_RecordName */
};
/* A text attribute; 0 for a NULL field or an unknown selector. */
QUENZEL_API size_t QUENZEL_C_CALL quenzel_field_text_attribute(const QuenzelField* field, int which,
                                                               char* buffer, size_t capacity);

/* Flags of quenzel_field_flags. */
enum QuenzelFieldFlag {
  QUENZEL_FLAG_PRIVATE = 1 << 0,          /* m_Private */
  QUENZEL_FLAG_NO_PARTIAL = 1 << 1,       /* m_NoPartial */
  QUENZEL_FLAG_DEL_CTL_CH = 1 << 2,       /* m_DelCtlCh */
  QUENZEL_FLAG_SUPPLIED = 1 << 3,         /* m_Supplied */
  QUENZEL_FLAG_TREAT_AS_TEXT = 1 << 4,    /* m_TreatAsText */
  QUENZEL_FLAG_NO_PAD = 1 << 5,           /* m_NoPad */
  QUENZEL_FLAG_SEND_OR_DELETE = 1 << 6,   /* m_SendOrDelete */
  QUENZEL_FLAG_CONVERT_FIELD = 1 << 7,    /* m_ConvertField */
  QUENZEL_FLAG_CONVERSION_ON = 1 << 8,    /* m_ConversionOn */
  QUENZEL_FLAG_HOST_UNITS_FIXED = 1 << 9, /* m_HostUnitsFixed */
  QUENZEL_FLAG_NUMERIC = 1 << 10,         /* a numeric type */
  QUENZEL_FLAG_TEXT = 1 << 11,            /* a text type */
  QUENZEL_FLAG_SINGLE_CHARACTER = 1 << 12 /* a single-character type */
};
/* The field's flags, 0 for a NULL field. */
QUENZEL_API unsigned QUENZEL_C_CALL quenzel_field_flags(const QuenzelField* field);

/* ---- Function pointer types ----
 *
 * A host that passes a library function around (a table of getters, a
 * helper that grows a buffer) forms a pointer to it; the pointer must carry
 * QUENZEL_C_CALL, or on 32-bit Windows caller and callee both pop the
 * arguments. These types carry it for the shapes that several functions
 * share, for example:
 *
 *   QuenzelFieldTextGetter get = quenzel_field_text_attribute;
 *   size_t size = get(field, QUENZEL_FIELD_NAME, NULL, 0); */

/* quenzel_result_name, quenzel_type_name, quenzel_action_name. */
typedef size_t(QUENZEL_C_CALL* QuenzelCodeNameGetter)(int code, char* buffer, size_t capacity);
/* quenzel_field_text_attribute. */
typedef size_t(QUENZEL_C_CALL* QuenzelFieldTextGetter)(const QuenzelField* field, int which,
                                                       char* buffer, size_t capacity);
/* quenzel_field_int_attribute. */
typedef int(QUENZEL_C_CALL* QuenzelFieldNumberGetter)(const QuenzelField* field, int which,
                                                      long long* value);
/* quenzel_field_get_text, quenzel_field_get_text_utf8. */
typedef int(QUENZEL_C_CALL* QuenzelFieldValueGetter)(QuenzelField* field, char* buffer,
                                                     size_t capacity, size_t* needed);
/* quenzel_field_set_text, quenzel_field_set_text_utf8. */
typedef int(QUENZEL_C_CALL* QuenzelFieldValueSetter)(QuenzelField* field, const char* text,
                                                     size_t length, int private_override);

#ifdef __cplusplus
}
#endif

#endif /* QUENZEL_QUENZEL_C_H_ */
