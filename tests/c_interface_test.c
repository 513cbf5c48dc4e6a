/* The C interface end to end, compiled as C and linked with the shared
 * library: loading the bundled example, record 12 written and read back,
 * setter results, weights, attributes, the buffer rule and bad handles. */
#include <quenzel_c.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;
#define CHECK(condition)                                                      \
  do {                                                                        \
    if (!(condition)) {                                                       \
      fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                             \
    }                                                                         \
  } while (0)

static char text[4096];

/* Every attribute read goes through the exported pointer type: a function
 * whose convention or shape differs from it does not compile (warnings are
 * errors), and on 32-bit Windows a wrong convention would break the stack. */
static const QuenzelFieldTextGetter kTextGetter = quenzel_field_text_attribute;

static const char* FieldText(const QuenzelField* field, int which) {
  kTextGetter(field, which, text, sizeof text);
  return text;
}

static void TestLibrary(void) {
  static const struct {
    int code;
    const char* name;
  } kNames[] = {{QUENZEL_NONE, "None"},
                {QUENZEL_RANGE_WARNING, "Range Warning"},
                {QUENZEL_NOT_FOUND, "Not Found"},
                {-1, "Not Found"},
                {QUENZEL_BUFFER_TOO_SMALL, "Buffer Too Small"},
                {QUENZEL_INTERNAL_ERROR, "Internal Error"}};
  char small[4];
  size_t i;
  CHECK(quenzel_interface_version() == QUENZEL_C_INTERFACE_VERSION);
  CHECK(quenzel_library_version(text, sizeof text) == strlen(QUENZEL_VERSION_TEXT) + 1 &&
        strcmp(text, QUENZEL_VERSION_TEXT) == 0);
  for (i = 0; i < sizeof kNames / sizeof kNames[0]; ++i) {
    quenzel_result_name(kNames[i].code, text, sizeof text);
    if (strcmp(text, kNames[i].name) != 0) fprintf(stderr, "result %d: %s\n", kNames[i].code, text);
    CHECK(strcmp(text, kNames[i].name) == 0);
  }
  /* Too small: truncated, terminated, and the size to retry with. */
  CHECK(quenzel_result_name(QUENZEL_RANGE_ERROR, small, sizeof small) == 12 &&
        strcmp(small, "Ran") == 0);
  {
    const QuenzelCodeNameGetter type_name = quenzel_type_name, action_name = quenzel_action_name;
    CHECK(type_name(7, text, sizeof text) == 7 && strcmp(text, "WEIGHT") == 0);
    CHECK(action_name(16, text, sizeof text) == 1 && text[0] == '\0');
  }
}

/* The catalogue of examples/zqapi/shop.def, found through ZQEXE. */
static QuenzelCatalogue* LoadExample(void) {
  QuenzelCatalogue* catalogue = quenzel_catalogue_create();
  QuenzelReadStop stop;
  CHECK(quenzel_set_setting("SOFTWARE\\TORVANHOLME\\Environment", "ZQEXE",
                            QUENZEL_SOURCE_DIR "/examples/") == QUENZEL_NONE);
  CHECK(quenzel_set_setting("SOFTWARE\\TORVANHOLME\\Environment", "Codepage", "1252") == 0);
  CHECK(quenzel_set_setting("", "ZQEXE", "x") == QUENZEL_INVALID_ARGUMENT);
  CHECK(quenzel_catalogue_initialise(catalogue, "missing.def", "", NULL, "") == 0);
  quenzel_last_read_error(&stop, text, sizeof text);
  CHECK(stop.kind == 2 && strstr(text, "missing.def") != NULL);
  /* A path as given, and a later failure that reads no line reports line 0. */
  {
    QuenzelCatalogue* bad = quenzel_catalogue_create();
    CHECK(quenzel_catalogue_initialise_from_path(
              bad, QUENZEL_SOURCE_DIR "/tests/cli/input/bad_type.def", "") == 0);
    quenzel_last_read_error(&stop, text, sizeof text);
    CHECK(stop.kind == 5 && stop.line > 0 && stop.token > 0);
    CHECK(quenzel_catalogue_initialise_from_path(bad, "no/such.def", "") == 0);
    quenzel_last_read_error(&stop, text, sizeof text);
    CHECK(stop.kind == 2 && stop.line == 0 && stop.token == 0 && strcmp(text, "no/such.def") == 0);
    CHECK(quenzel_catalogue_initialise_from_path(bad, "", "") == QUENZEL_INVALID_ARGUMENT);
    CHECK(quenzel_catalogue_initialise_from_path(bad, QUENZEL_SOURCE_DIR "/examples/zqapi/shop.def",
                                                 NULL) == 1);
    CHECK(quenzel_catalogue_record_count(bad) == 18);
    quenzel_catalogue_free(bad);
  }
  CHECK(quenzel_catalogue_initialise(catalogue, "shop.def", "", NULL, "") == 1);
  CHECK(quenzel_catalogue_record_count(catalogue) == 18);
  CHECK(quenzel_catalogue_record_at(catalogue, 18) == NULL);
  { /* by index, in the catalogue's key order: names, or numbers when unnamed */
    char previous[64] = "";
    size_t i;
    for (i = 0; i < 18; ++i) {
      const QuenzelRecord* record = quenzel_catalogue_record_at(catalogue, i);
      char key[64];
      if (quenzel_record_name(record, key, sizeof key) == 1)
        sprintf(key, "%d", quenzel_record_number(record));
      CHECK(strcmp(previous, key) < 0);
      strcpy(previous, key);
    }
  }
  return catalogue;
}

static const char kItemRecord[] =
    "12 1 4 \"4711\" 2 13 \"4006381333931\" 3 10 \"Gouda mild\" 5 4 \"1299\" 6 1 \"1\" "
    "7 2 \"25\" 9 2 \"77\" 16 1 \"B\" 17 1 \"A\" 20 8 \"R0lGODlh\" 21 9 \"LABEL.LBL\" 0 ";

static void TestWriteAndRead(QuenzelCatalogue* catalogue) {
  static const struct {
    const char* field;
    const char* value;
  } kValues[] = {{"PLU", "4711"},
                 {"EAN", "4006381333931"},
                 {"DESCRIPTION", "Gouda mild"},
                 {"5", "1299"},
                 {"PB", "1"},
                 {"TARE", "25"},
                 {"GROUP", "77"},
                 {"FONT", "B"},
                 {"CLASS", "A"},
                 {"PICTURE", "R0lGODlh"}};
  /* Where a read stops, and the boundary where the next record can be tried. */
  static const struct {
    const char* data;
    int fault, field, result;
    size_t consumed, next;
  } kStops[] = {
      {"12 1 4 \"4711\" 0 13 0 ", 0, 0, QUENZEL_NONE, 16, 16},
      {"12 1 3 \"12x\" 3 2 \"ab\" 0 13 0 ", 8, 1, QUENZEL_INVALID_NUMERIC, 11, 24},
      {"12 99 2 \"ab\" 0 ", 5, 99, QUENZEL_NONE, 8, 15},
      {"13 0 12 0 ", 2, 0, QUENZEL_NONE, 3, 5},
      {"x 0 ", 1, 0, QUENZEL_NONE, 2, 2},
      {"12 1 4 \"47", 6, 1, QUENZEL_NONE, 10, 10},
  };
  const QuenzelRecord* item = quenzel_catalogue_record_by_name(catalogue, "ITEM");
  QuenzelRecord* record = quenzel_record_copy(item);
  QuenzelRecord* answer = quenzel_record_copy(quenzel_catalogue_record(catalogue, 12));
  size_t i, needed = 0, consumed = 0;
  CHECK(item == quenzel_catalogue_record(catalogue, 12) && record != NULL);
  CHECK(quenzel_record_action(item) == 0 && quenzel_record_field_count(record) == 24);
  CHECK(quenzel_record_key_name(item, 1, text, sizeof text) == 4 && strcmp(text, "PLU") == 0);
  CHECK(quenzel_record_check_key_field_supplied(record) == 0);
  for (i = 0; i < sizeof kValues / sizeof kValues[0]; ++i) {
    QuenzelField* field = quenzel_record_create_find_field_by_name(record, kValues[i].field);
    CHECK(quenzel_field_set_text_utf8(field, kValues[i].value, strlen(kValues[i].value), 0) ==
          QUENZEL_NONE);
  }
  quenzel_field_set_supplied(quenzel_record_find_field(record, 1), 1);
  CHECK(quenzel_record_check_key_field_supplied(record) == 1);
  CHECK(quenzel_record_write(record, text, 10, &needed) == QUENZEL_BUFFER_TOO_SMALL &&
        needed == sizeof kItemRecord && strlen(text) == 9);
  CHECK(quenzel_record_write(record, text, needed, &needed) == QUENZEL_NONE &&
        strcmp(text, kItemRecord) == 0);

  /* Read back, with a second record behind it. */
  strcat(text, "12 1 4 \"4712\" 0 ");
  CHECK(quenzel_record_read(answer, text, strlen(text), &consumed) == 1 &&
        consumed == sizeof kItemRecord - 1);
  CHECK(quenzel_field_get_text_utf8(quenzel_record_find_field_by_name(answer, "PICTURE"), text,
                                    sizeof text, &needed) == QUENZEL_NONE &&
        strcmp(text, "GIF89a") == 0 && needed == 7);
  CHECK(quenzel_record_read(answer, "12 1 4 \"4711\" 0 12 3 4 \"ab\" 0 ", 30, &consumed) == 1);
  CHECK(quenzel_record_read(answer, "12 3 4 \"ab\" 0 ", 14, &consumed) == 0 && consumed == 14);
  CHECK(quenzel_record_read(answer, "13 0 ", 5, &consumed) == 0 && consumed == 3);
  for (i = 0; i < sizeof kStops / sizeof kStops[0]; ++i) {
    QuenzelRecordStop stop;
    const char* data = kStops[i].data;
    CHECK(quenzel_record_read_stop(answer, data, strlen(data), &stop) == (kStops[i].fault == 0));
    CHECK(stop.fault == kStops[i].fault && stop.field_number == kStops[i].field &&
          stop.result == kStops[i].result && stop.consumed == kStops[i].consumed &&
          stop.next == kStops[i].next);
  }
  CHECK(quenzel_record_read_stop(answer, "12 0 ", 5, NULL) == QUENZEL_INVALID_ARGUMENT);
  quenzel_record_free(answer);
  quenzel_record_free(record);
}

static void TestSetters(QuenzelRecord* record) {
  enum { kText, kUtf8, kInt, kChar };
  static const struct {
    const char* field;
    int form;
    const char* text;
    long long number;
    int result;
    const char* rejected;
  } kCases[] = {
      {"PLU", kInt, NULL, 4711, QUENZEL_NONE, ""},
      {"PLU", kInt, NULL, 0, QUENZEL_RANGE_ERROR, "0"},
      {"PRICE", kText, "12a", 0, QUENZEL_INVALID_NUMERIC, "12a"},
      {"EAN", kInt, NULL, 12345678901234LL, QUENZEL_LENGTH_ERROR, "12345678901234"},
      {"FONT", kChar, NULL, 'Z', QUENZEL_RANGE_ERROR, "Z"},
      {"PB", kInt, NULL, 10, QUENZEL_CONVERT_FAIL, "\n"},
      {"DESCRIPTION", kUtf8, "Caf\xc3\xa9", 0, QUENZEL_NONE, ""},
      {"FONT", kText, "", 0, QUENZEL_INTERNAL_ERROR, ""},
  };
  size_t i;
  for (i = 0; i < sizeof kCases / sizeof kCases[0]; ++i) {
    QuenzelField* field = quenzel_record_find_field_by_name(record, kCases[i].field);
    const char* in = kCases[i].text;
    const QuenzelFieldValueSetter set_text =
        kCases[i].form == kUtf8 ? quenzel_field_set_text_utf8 : quenzel_field_set_text;
    int result = kCases[i].form == kText || kCases[i].form == kUtf8
                     ? set_text(field, in, strlen(in), 0)
                 : kCases[i].form == kInt
                     ? quenzel_field_set_int64(field, kCases[i].number, 0)
                     : quenzel_field_set_char(field, (unsigned char)kCases[i].number, 0);
    FieldText(field, QUENZEL_FIELD_REJECTED);
    if (result != kCases[i].result || (result > 0 && strcmp(text, kCases[i].rejected) != 0)) {
      fprintf(stderr, "case %u (%s): result %d, rejected \"%s\"\n", (unsigned)i, kCases[i].field,
              result, text);
      ++failures;
    }
    quenzel_field_reset(field);
  }
}

static void TestWeightsAndAttributes(QuenzelRecord* record) {
  QuenzelField* tare = quenzel_record_find_field(record, 7);
  QuenzelField* notes = quenzel_record_find_field_by_name(record, "NOTES");
  long long number = 0;
  float weight = 0;
  int value = 0;
  /* Hundredths of a kilogram on the host's side; writing hands them over. */
  quenzel_record_driver_set_record_weight_details(record, 1, -2, 0, 0, 1);
  CHECK(quenzel_record_write(record, NULL, 0, NULL) == QUENZEL_BUFFER_TOO_SMALL);
  CHECK(quenzel_record_measurement(record, QUENZEL_DESTINATION_SCALING_FACTOR, &value) == 0 &&
        value == -2);
  CHECK(quenzel_field_set_int64(tare, 125, 0) == QUENZEL_NONE &&
        strcmp(FieldText(tare, QUENZEL_FIELD_VALUE), "1250") == 0);
  CHECK(quenzel_field_get_int64(tare, &number) == QUENZEL_NONE && number == 125);
  CHECK(quenzel_field_set_float(tare, 2.9f, 0) == QUENZEL_NONE &&
        quenzel_field_get_float(tare, &weight) == QUENZEL_NONE && weight == 2.0f);

  {
    const QuenzelFieldNumberGetter get_number = quenzel_field_int_attribute;
    CHECK(get_number(tare, QUENZEL_FIELD_MAX, &number) == 0 && number == -1);
  }
  CHECK(strcmp(FieldText(tare, QUENZEL_FIELD_VALUE_LIST), "0-99999") == 0);
  CHECK(quenzel_field_int_attribute(tare, QUENZEL_FIELD_TYPE, &number) == 0 && number == 7);
  CHECK(quenzel_field_flags(notes) & QUENZEL_FLAG_PRIVATE);
  CHECK((quenzel_field_flags(tare) & (QUENZEL_FLAG_NUMERIC | QUENZEL_FLAG_TEXT)) ==
        QUENZEL_FLAG_NUMERIC);
  CHECK(quenzel_field_int_attribute(tare, 99, &number) == QUENZEL_INVALID_ARGUMENT);
  CHECK(quenzel_record_measurement(record, QUENZEL_RANGE_WARNING_FLAG + 1, &value) ==
        QUENZEL_INVALID_ARGUMENT);
  CHECK(quenzel_field_text_attribute(tare, QUENZEL_FIELD_RECORD_NAME + 1, text, 9) == 0);
}

static void TestFieldList(QuenzelRecord* record) {
  size_t count = quenzel_record_field_count(record), needed = 0;
  QuenzelField* created = quenzel_record_create_find_field(record, 42);
  long long type = 0;
  char small[3];
  CHECK(quenzel_record_field_count(record) == count + 1 &&
        quenzel_record_field_at(record, count) == created &&
        quenzel_record_field_at(record, count + 1) == NULL);
  CHECK(quenzel_field_int_attribute(created, QUENZEL_FIELD_TYPE, &type) == 0 && type == 3);
  CHECK(quenzel_record_find_field(record, 42) == created);
  quenzel_field_set_text(created, "a\0b", 3, 0); /* a zero byte inside */
  CHECK(quenzel_field_get_text(created, small, sizeof small, &needed) == QUENZEL_BUFFER_TOO_SMALL &&
        needed == 4);
  quenzel_field_set_treat_as_text(created);
  quenzel_record_reset(record); /* drops the text-only field */
  CHECK(quenzel_record_field_count(record) == count);
}

static void TestBadHandles(void) {
  long long number = 0;
  size_t needed = 0;
  CHECK(quenzel_field_set_int64(NULL, 1, 0) == QUENZEL_INVALID_ARGUMENT);
  {
    const QuenzelFieldValueGetter get_value = quenzel_field_get_text_utf8;
    CHECK(get_value(NULL, text, sizeof text, &needed) == QUENZEL_INVALID_ARGUMENT);
  }
  CHECK(quenzel_field_get_text(NULL, text, sizeof text, &needed) == QUENZEL_INVALID_ARGUMENT);
  CHECK(quenzel_field_get_int64(NULL, &number) == QUENZEL_INVALID_ARGUMENT);
  CHECK(quenzel_record_read(NULL, "12 0 ", 5, NULL) == QUENZEL_INVALID_ARGUMENT);
  CHECK(quenzel_record_copy(NULL) == NULL && quenzel_catalogue_record(NULL, 12) == NULL);
  CHECK(quenzel_record_name(NULL, text, sizeof text) == 0);
  quenzel_record_free(NULL);
  quenzel_catalogue_free(NULL);
}

int main(void) {
  QuenzelCatalogue* catalogue;
  QuenzelRecord* record;
  TestLibrary();
  catalogue = LoadExample();
  TestWriteAndRead(catalogue);
  record = quenzel_record_copy(quenzel_catalogue_record(catalogue, 12));
  TestSetters(record);
  TestWeightsAndAttributes(record);
  TestFieldList(record);
  quenzel_record_free(record);
  TestBadHandles();
  quenzel_catalogue_free(catalogue);
  quenzel_clear_settings();
  printf("%s: %d failure(s)\n", failures ? "FAILED" : "passed", failures);
  return failures ? 1 : 0;
}
