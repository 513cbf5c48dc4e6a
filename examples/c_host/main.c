/* A host program in C over the quenzel C interface (docs/c-interface.md).
 *
 * It loads a definition file, fills a copy of record 12 (ITEM) and prints
 * it as a data record, then reads every data record of the files given and
 * prints each one as a line of JSON: the record's number and name, and every
 * field's number, name and value (UTF-8). The registry export named by
 * CFGSTORE_FILE tells the library where the definition file is.
 *
 *   c_host DEFINITION-FILE [DATA-FILE...] */
#include <quenzel_c.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The item, as text in UTF-8. A CLOB field takes Base64: R0lGODlh is GIF89a. */
static const char* const kItem[][2] = {{"PLU", "4711"},
                                       {"EAN", "4006381333931"},
                                       {"DESCRIPTION", "Gouda mild"},
                                       {"5", "1299"},
                                       {"PB", "1"},
                                       {"TARE", "25"},
                                       {"GROUP", "77"},
                                       {"FONT", "B"},
                                       {"CLASS", "A"},
                                       {"PICTURE", "R0lGODlh"}};

/* Text out of the library: a buffer grown until the text fits. The caller
 * frees it. A pointer to a library function carries its calling convention:
 * QuenzelFieldTextGetter is declared with QUENZEL_C_CALL. */
static char* Text(QuenzelFieldTextGetter get, const QuenzelField* f, int which) {
  size_t size = get(f, which, NULL, 0);
  char* text = malloc(size);
  if (text != NULL) get(f, which, text, size);
  return text;
}

static void PrintJsonText(const char* text) {
  const unsigned char* c;
  putchar('"');
  for (c = (const unsigned char*)text; *c != '\0'; ++c) {
    const char* escape = strchr("\"\\\b\f\n\r\t", *c);
    if (escape != NULL)
      printf("\\%c", "\"\\bfnrt"[escape - "\"\\\b\f\n\r\t"]);
    else if (*c < 0x20)
      printf("\\u%04x", *c);
    else
      putchar(*c);
  }
  putchar('"');
}

static int EncodeItem(QuenzelCatalogue* catalogue) {
  QuenzelRecord* item = quenzel_record_copy(quenzel_catalogue_record(catalogue, 12));
  size_t i, size = 0;
  char* data;
  if (item == NULL) return 0;
  for (i = 0; i < sizeof kItem / sizeof kItem[0]; ++i) {
    QuenzelField* field = quenzel_record_find_field_by_name(item, kItem[i][0]);
    int result;
    if (field == NULL) field = quenzel_record_find_field(item, atoi(kItem[i][0]));
    result = quenzel_field_set_text_utf8(field, kItem[i][1], strlen(kItem[i][1]), 0);
    if (result != QUENZEL_NONE) {
      char name[32];
      quenzel_result_name(result, name, sizeof name);
      fprintf(stderr, "%s: %s %s\n", kItem[i][0], name, kItem[i][1]);
    }
  }
  /* Ask for the size first, then write. */
  quenzel_record_write(item, NULL, 0, &size);
  data = malloc(size);
  if (data != NULL && quenzel_record_write(item, data, size, &size) == QUENZEL_NONE)
    printf("%s\n", data);
  free(data);
  quenzel_record_free(item);
  return data != NULL;
}

static void PrintRecord(QuenzelRecord* record) {
  char name[256];
  size_t i, size;
  quenzel_record_name(record, name, sizeof name);
  printf("{\"record\":%d,\"name\":", quenzel_record_number(record));
  PrintJsonText(name);
  printf(",\"fields\":[");
  for (i = 0; i < quenzel_record_field_count(record); ++i) {
    QuenzelField* field = quenzel_record_field_at(record, i);
    long long number = 0;
    char* fieldName = Text(quenzel_field_text_attribute, field, QUENZEL_FIELD_NAME);
    char* value;
    quenzel_field_get_text_utf8(field, NULL, 0, &size);
    value = malloc(size);
    if (value == NULL || fieldName == NULL) exit(1);
    quenzel_field_get_text_utf8(field, value, size, &size);
    quenzel_field_int_attribute(field, QUENZEL_FIELD_NUMBER, &number);
    printf("%s{\"number\":%lld,\"name\":", i > 0 ? "," : "", number);
    PrintJsonText(fieldName);
    printf(",\"value\":");
    PrintJsonText(value);
    putchar('}');
    free(fieldName);
    free(value);
  }
  printf("]}\n");
}

/* Reads the data records of one file, one after the other. */
static int Decode(QuenzelCatalogue* catalogue, const char* path) {
  static char data[1 << 16];
  FILE* file = fopen(path, "rb");
  size_t size, at = 0, consumed = 0;
  if (file == NULL) return 0;
  size = fread(data, 1, sizeof data, file);
  fclose(file);
  for (;;) {
    QuenzelRecord* record;
    int read;
    at += strspn(data + at, " \t\r\n");
    if (at >= size) return 1;
    record = quenzel_record_copy(quenzel_catalogue_record(catalogue, atoi(data + at)));
    if (record == NULL) {
      fprintf(stderr, "%s: byte %u: record %d is not defined\n", path, (unsigned)at,
              atoi(data + at));
      return 0;
    }
    read = quenzel_record_read(record, data + at, size - at, &consumed);
    if (read == 1) PrintRecord(record);
    quenzel_record_free(record);
    if (read != 1) {
      fprintf(stderr, "%s: byte %u: no data record (stopped at byte %u)\n", path, (unsigned)at,
              (unsigned)(at + consumed));
      return 0;
    }
    at += consumed;
  }
}

int main(int argc, char** argv) {
  QuenzelCatalogue* catalogue;
  int i, ok;
  if (argc < 2) {
    fprintf(stderr, "usage: c_host DEFINITION-FILE [DATA-FILE...]\n");
    return 2;
  }
  if (quenzel_interface_version() < QUENZEL_C_INTERFACE_VERSION) {
    fprintf(stderr, "the quenzel library is older than this program\n");
    return 1;
  }
  catalogue = quenzel_catalogue_create();
  if (quenzel_catalogue_initialise(catalogue, argv[1], "", NULL, "") != 1) {
    QuenzelReadStop stop;
    char path[1024];
    quenzel_last_read_error(&stop, path, sizeof path);
    fprintf(stderr, "cannot load %s (line %d, token %d)\n", path, stop.line, stop.token);
    quenzel_catalogue_free(catalogue);
    return 1;
  }
  ok = EncodeItem(catalogue);
  for (i = 2; i < argc && ok; ++i) ok = Decode(catalogue, argv[i]);
  quenzel_catalogue_free(catalogue);
  return ok ? 0 : 1;
}
