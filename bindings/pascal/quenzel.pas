{ quenzel.pas: the quenzel library's C interface for Free Pascal and Delphi.

  The declarations of the entry points, result codes and selectors follow
  quenzel_c.h one for one (stdcall on Windows, cdecl elsewhere); above them
  sit three thin classes that own the library's objects and turn result codes
  into exceptions:

    TQuenzelCatalogue  the record definitions of one definition file
    TQuenzelRecord     a working copy of a record, owned by the caller
    TQuenzelField      a field of a record, valid until its field list changes

  Texts are UTF8String both ways. A setter returns QUENZEL_NONE, or
  QUENZEL_RANGE_WARNING when the field's default was stored instead of the
  value (Rejected then holds "old:new"); every other result raises
  EQuenzelError with the result, the field and the refused text. }
unit quenzel;

{$IFDEF FPC}
{$mode delphi}{$H+}
{$ENDIF}

interface

uses
  SysUtils;

const
{$IFDEF MSWINDOWS}
  QuenzelLibrary = 'quenzel.dll';
{$ELSE}
  QuenzelLibrary = 'quenzel';
{$ENDIF}

{ BEGIN declarations written by bindings/generate.py from quenzel_c.h }

const
  { the interface version these declarations were written for }
  QUENZEL_C_INTERFACE_VERSION = 2;
  { QuenzelResult }
  QUENZEL_NONE = 0;
  QUENZEL_RANGE_ERROR = 1;
  QUENZEL_RANGE_WARNING = 2;
  QUENZEL_CONVERT_FAIL = 3;
  QUENZEL_LENGTH_ERROR = 4;
  QUENZEL_INVALID_NUMERIC = 5;
  QUENZEL_NOT_FOUND = 6;
  QUENZEL_INVALID_ARGUMENT = -2;
  QUENZEL_BUFFER_TOO_SMALL = -3;
  QUENZEL_OUT_OF_MEMORY = -4;
  QUENZEL_INTERNAL_ERROR = -5;
  { QuenzelMeasurement }
  QUENZEL_SOURCE_BASE_WEIGHT_UNITS = 0;
  QUENZEL_SOURCE_TOTALS_BASE_WEIGHT_UNITS = 1;
  QUENZEL_NET_WEIGHT_BASE_WEIGHT_UNITS = 2;
  QUENZEL_PRICE_UNITS = 3;
  QUENZEL_SOURCE_SCALING_FACTOR = 4;
  QUENZEL_SOURCE_TOTALS_SCALING_FACTOR = 5;
  QUENZEL_NET_WEIGHT_SCALING_FACTOR = 6;
  QUENZEL_BACKWARD_COMPATIBLE_MODE = 7;
  QUENZEL_DESTINATION_BASE_WEIGHT_UNITS = 8;
  QUENZEL_DESTINATION_SCALING_FACTOR = 9;
  QUENZEL_CONVERSION_ON = 10;
  QUENZEL_UOM_FLAG = 11;
  QUENZEL_PRICE_BASE_FLAG = 12;
  QUENZEL_RANGE_WARNING_FLAG = 13;
  { QuenzelFieldNumber }
  QUENZEL_FIELD_NUMBER = 0;
  QUENZEL_FIELD_TYPE = 1;
  QUENZEL_FIELD_LENGTH = 2;
  QUENZEL_FIELD_MIN = 3;
  QUENZEL_FIELD_MAX = 4;
  QUENZEL_FIELD_DEFAULT = 5;
  QUENZEL_FIELD_PSEUDO_NUMBER = 6;
  QUENZEL_FIELD_SPLIT_COUNT_1 = 7;
  QUENZEL_FIELD_SPLIT_COUNT_2 = 8;
  QUENZEL_FIELD_RECORD_NUMBER = 9;
  QUENZEL_FIELD_HOST_MS = 10;
  QUENZEL_FIELD_HOST_SF = 11;
  QUENZEL_FIELD_SCALE_MS = 12;
  QUENZEL_FIELD_SCALE_SF = 13;
  { QuenzelFieldText }
  QUENZEL_FIELD_NAME = 0;
  QUENZEL_FIELD_VALUE = 1;
  QUENZEL_FIELD_REJECTED = 2;
  QUENZEL_FIELD_VALUE_LIST = 3;
  QUENZEL_FIELD_VALID_CHARS = 4;
  QUENZEL_FIELD_INIT_VALUE = 5;
  QUENZEL_FIELD_COMMENT = 6;
  QUENZEL_FIELD_KEY = 7;
  QUENZEL_FIELD_KEY_POSITION = 8;
  QUENZEL_FIELD_CODE_PAGE = 9;
  QUENZEL_FIELD_RECORD_NAME = 10;
  { QuenzelFieldFlag }
  QUENZEL_FLAG_PRIVATE = 1;
  QUENZEL_FLAG_NO_PARTIAL = 2;
  QUENZEL_FLAG_DEL_CTL_CH = 4;
  QUENZEL_FLAG_SUPPLIED = 8;
  QUENZEL_FLAG_TREAT_AS_TEXT = 16;
  QUENZEL_FLAG_NO_PAD = 32;
  QUENZEL_FLAG_SEND_OR_DELETE = 64;
  QUENZEL_FLAG_CONVERT_FIELD = 128;
  QUENZEL_FLAG_CONVERSION_ON = 256;
  QUENZEL_FLAG_HOST_UNITS_FIXED = 512;
  QUENZEL_FLAG_NUMERIC = 1024;
  QUENZEL_FLAG_TEXT = 2048;
  QUENZEL_FLAG_SINGLE_CHARACTER = 4096;

type
  PQuenzelCatalogue = type Pointer;
  PQuenzelRecord = type Pointer;
  PQuenzelField = type Pointer;
  TQuenzelReadStop = record
    Kind: Integer;
    Line: Integer;
    Token: Integer;
    RecordNumber: Integer;
    FieldNumber: Integer;
  end;
  PQuenzelReadStop = ^TQuenzelReadStop;
  TQuenzelRecordStop = record
    Fault: Integer;
    FieldNumber: Integer;
    Result: Integer;
    ElementOffset: NativeUInt;
    Consumed: NativeUInt;
    Next: NativeUInt;
  end;
  PQuenzelRecordStop = ^TQuenzelRecordStop;

function quenzel_interface_version: Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_interface_version';
function quenzel_library_version(buffer: PAnsiChar; capacity: NativeUInt): NativeUInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_library_version';
function quenzel_result_name(result_: Integer; buffer: PAnsiChar; capacity: NativeUInt): NativeUInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_result_name';
function quenzel_type_name(type_: Integer; buffer: PAnsiChar; capacity: NativeUInt): NativeUInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_type_name';
function quenzel_action_name(action: Integer; buffer: PAnsiChar; capacity: NativeUInt): NativeUInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_action_name';
function quenzel_set_setting(key: PAnsiChar; value_name: PAnsiChar; value: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_set_setting';
procedure quenzel_clear_settings;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_clear_settings';
function quenzel_last_read_error(stop: PQuenzelReadStop; path: PAnsiChar; capacity: NativeUInt): NativeUInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_last_read_error';
function quenzel_catalogue_create: PQuenzelCatalogue;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_catalogue_create';
procedure quenzel_catalogue_free(catalogue: PQuenzelCatalogue);
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_catalogue_free';
function quenzel_catalogue_initialise(catalogue: PQuenzelCatalogue; file_name: PAnsiChar; log_name: PAnsiChar; reserved: PAnsiChar; required_version: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_catalogue_initialise';
function quenzel_catalogue_initialise_from_path(catalogue: PQuenzelCatalogue; path: PAnsiChar; log_name: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_catalogue_initialise_from_path';
function quenzel_catalogue_record(catalogue: PQuenzelCatalogue; number: Integer): PQuenzelRecord;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_catalogue_record';
function quenzel_catalogue_record_by_name(catalogue: PQuenzelCatalogue; name: PAnsiChar): PQuenzelRecord;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_catalogue_record_by_name';
function quenzel_catalogue_record_count(catalogue: PQuenzelCatalogue): NativeUInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_catalogue_record_count';
function quenzel_catalogue_record_at(catalogue: PQuenzelCatalogue; index: NativeUInt): PQuenzelRecord;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_catalogue_record_at';
function quenzel_catalogue_definition_path(catalogue: PQuenzelCatalogue; buffer: PAnsiChar; capacity: NativeUInt): NativeUInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_catalogue_definition_path';
function quenzel_record_copy(record_: PQuenzelRecord): PQuenzelRecord;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_copy';
procedure quenzel_record_free(record_: PQuenzelRecord);
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_free';
function quenzel_record_number(record_: PQuenzelRecord): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_number';
function quenzel_record_action(record_: PQuenzelRecord): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_action';
function quenzel_record_name(record_: PQuenzelRecord; buffer: PAnsiChar; capacity: NativeUInt): NativeUInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_name';
function quenzel_record_key_name(record_: PQuenzelRecord; position: Integer; buffer: PAnsiChar; capacity: NativeUInt): NativeUInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_key_name';
function quenzel_record_field_count(record_: PQuenzelRecord): NativeUInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_field_count';
function quenzel_record_field_at(record_: PQuenzelRecord; index: NativeUInt): PQuenzelField;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_field_at';
function quenzel_record_find_field(record_: PQuenzelRecord; number: Integer): PQuenzelField;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_find_field';
function quenzel_record_find_field_by_name(record_: PQuenzelRecord; name: PAnsiChar): PQuenzelField;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_find_field_by_name';
function quenzel_record_create_find_field(record_: PQuenzelRecord; number: Integer): PQuenzelField;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_create_find_field';
function quenzel_record_create_find_field_by_name(record_: PQuenzelRecord; name: PAnsiChar): PQuenzelField;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_create_find_field_by_name';
function quenzel_record_check_key_field_supplied(record_: PQuenzelRecord): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_check_key_field_supplied';
function quenzel_record_reset(record_: PQuenzelRecord): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_reset';
function quenzel_record_weight_conversion_on(record_: PQuenzelRecord; on_: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_weight_conversion_on';
function quenzel_record_driver_set_field_weight_details(record_: PQuenzelRecord; field_number: Integer; host_ms: Integer; host_sf: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_driver_set_field_weight_details';
function quenzel_record_driver_set_record_weight_details(record_: PQuenzelRecord; host_ms: Integer; host_sf: Integer; backward_compatible: Integer; unused: Integer; uom_on: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_driver_set_record_weight_details';
function quenzel_record_get_price_base(record_: PQuenzelRecord): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_get_price_base';
function quenzel_record_get_uom_field_value(record_: PQuenzelRecord): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_get_uom_field_value';
function quenzel_record_measurement(record_: PQuenzelRecord; which: Integer; value: PInteger): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_measurement';
function quenzel_record_write(record_: PQuenzelRecord; buffer: PAnsiChar; capacity: NativeUInt; needed: PNativeUInt): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_write';
function quenzel_record_read(record_: PQuenzelRecord; data: PAnsiChar; size: NativeUInt; consumed: PNativeUInt): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_read';
function quenzel_record_read_stop(record_: PQuenzelRecord; data: PAnsiChar; size: NativeUInt; stop: PQuenzelRecordStop): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_record_read_stop';
function quenzel_field_set_text(field: PQuenzelField; text: PAnsiChar; length: NativeUInt; private_override: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_set_text';
function quenzel_field_set_text_utf8(field: PQuenzelField; text: PAnsiChar; length: NativeUInt; private_override: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_set_text_utf8';
function quenzel_field_get_text(field: PQuenzelField; buffer: PAnsiChar; capacity: NativeUInt; needed: PNativeUInt): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_get_text';
function quenzel_field_get_text_utf8(field: PQuenzelField; buffer: PAnsiChar; capacity: NativeUInt; needed: PNativeUInt): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_get_text_utf8';
function quenzel_field_set_int64(field: PQuenzelField; value: Int64; private_override: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_set_int64';
function quenzel_field_set_int64_utf8(field: PQuenzelField; value: Int64; private_override: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_set_int64_utf8';
function quenzel_field_get_int64(field: PQuenzelField; value: PInt64): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_get_int64';
function quenzel_field_get_int64_utf8(field: PQuenzelField; value: PInt64): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_get_int64_utf8';
function quenzel_field_set_char(field: PQuenzelField; value: Byte; private_override: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_set_char';
function quenzel_field_set_char_utf8(field: PQuenzelField; value: Byte; private_override: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_set_char_utf8';
function quenzel_field_get_char(field: PQuenzelField; value: PByte): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_get_char';
function quenzel_field_get_char_utf8(field: PQuenzelField; value: PByte): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_get_char_utf8';
function quenzel_field_set_float(field: PQuenzelField; value: Single; private_override: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_set_float';
function quenzel_field_set_float_utf8(field: PQuenzelField; value: Single; private_override: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_set_float_utf8';
function quenzel_field_get_float(field: PQuenzelField; value: PSingle): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_get_float';
function quenzel_field_get_float_utf8(field: PQuenzelField; value: PSingle): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_get_float_utf8';
function quenzel_field_set_conversion_details(field: PQuenzelField; conversion_on: Integer; scale_ms: Integer; scale_sf: Integer; host_ms: Integer; host_sf: Integer; totals_ms: Integer; convert_field: Integer; flag_a: Integer; flag_b: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_set_conversion_details';
function quenzel_field_reset(field: PQuenzelField): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_reset';
function quenzel_field_set_supplied(field: PQuenzelField; supplied: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_set_supplied';
function quenzel_field_set_treat_as_text(field: PQuenzelField): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_set_treat_as_text';
function quenzel_field_int_attribute(field: PQuenzelField; which: Integer; value: PInt64): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_int_attribute';
function quenzel_field_text_attribute(field: PQuenzelField; which: Integer; buffer: PAnsiChar; capacity: NativeUInt): NativeUInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_text_attribute';
function quenzel_field_flags(field: PQuenzelField): Cardinal;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external QuenzelLibrary name 'quenzel_field_flags';

{ END declarations written by bindings/generate.py }

type
  { A result other than None and Range Warning. }
  EQuenzelError = class(Exception)
  public
    ResultCode: Integer;
    ResultName: UTF8String;
    FieldName: UTF8String; { empty when no field was involved }
    FieldNumber: Integer;
    Rejected: UTF8String;  { the field's refused text }
    constructor CreateResult(AResult: Integer; const AMessage: UTF8String);
    constructor CreateField(AResult: Integer; const AField: UTF8String; ANumber: Integer;
      const ARejected: UTF8String);
  end;

  { The definition file did not load; Stop tells where the reader stopped. }
  EQuenzelLoadError = class(EQuenzelError)
  public
    Path: UTF8String;
    Stop: TQuenzelReadStop;
  end;

  TQuenzelRecord = class;

  TQuenzelField = class
  private
    FRecord: TQuenzelRecord;
    FIndex: NativeUInt;
    FGeneration: Integer;
    function Handle: PQuenzelField;
    function Checked(AResult: Integer): Integer;
    function GetSupplied: Boolean;
    procedure SetSupplied(AValue: Boolean);
  public
    constructor Create(ARecord: TQuenzelRecord; AIndex: NativeUInt);
    function NumberAttribute(Which: Integer): Int64;
    function TextAttribute(Which: Integer): UTF8String;
    function Number: Integer;
    function Name: UTF8String;
    function TypeName: UTF8String;
    function Value: UTF8String;    { the stored UTF-8 text, unformatted }
    function Rejected: UTF8String; { the refused text, or "old:new" }
    function Flags: Cardinal;
    { Setters: QUENZEL_NONE or QUENZEL_RANGE_WARNING, else EQuenzelError. }
    function SetText(const AText: UTF8String; PrivateOverride: Boolean = False): Integer;
    function SetInt64(AValue: Int64; PrivateOverride: Boolean = False): Integer;
    function SetFloat(AValue: Single; PrivateOverride: Boolean = False): Integer;
    function SetChar(AValue: Byte; PrivateOverride: Boolean = False): Integer;
    function Text: UTF8String; { as the data record carries it }
    function AsInt64: Int64;
    function AsFloat: Single;
    function AsChar: Byte;
    procedure TreatAsText;
    property Supplied: Boolean read GetSupplied write SetSupplied;
  end;

  TQuenzelRecord = class
  private
    FHandle: PQuenzelRecord;
    FGeneration: Integer;
    function Live: PQuenzelRecord;
    function Locate(Found: PQuenzelField; const Key: UTF8String): TQuenzelField;
  public
    { A copy of a template or of another record's handle. }
    constructor CreateCopy(Source: PQuenzelRecord);
    destructor Destroy; override;
    function Copy: TQuenzelRecord;
    function Number: Integer;
    function Name: UTF8String;
    function Action: UTF8String;
    function FieldCount: Integer;
    { The caller frees the Field objects; they fail once the field list changed. }
    function FieldAt(Index: Integer): TQuenzelField;
    function FieldByNumber(ANumber: Integer): TQuenzelField;
    function FieldByName(const AName: UTF8String): TQuenzelField;
    function HasField(const AName: UTF8String): Boolean;
    function CreateField(const AName: UTF8String): TQuenzelField;
    procedure Reset;
    function KeySupplied: Boolean;
    { The host's weight units, handed on to the weight fields at once. }
    procedure SetHostUnits(System, Factor: Integer; BackwardCompatible: Boolean = False;
      Uom: Boolean = True);
    function Measurement(Which: Integer): Integer;
    function Encode: UTF8String;
    { Reads one data record (the record is not reset first); False when it
      does not read, Consumed then tells where the reader stopped. }
    function Decode(const Data: UTF8String; out Consumed: NativeUInt): Boolean;
    property Handle: PQuenzelRecord read FHandle;
  end;

  TQuenzelCatalogue = class
  private
    FHandle: PQuenzelCatalogue;
  public
    { Loads the definition file, found as the library finds it; raises
      EQuenzelLoadError when it does not load. }
    constructor Create(const FileName: UTF8String; const LogName: UTF8String = '';
      const RequiredVersion: UTF8String = '');
    destructor Destroy; override;
    function Count: Integer;
    function DefinitionPath: UTF8String;
    function Contains(ANumber: Integer): Boolean;
    { A working copy that the caller frees; EQuenzelError when not defined. }
    function RecordByNumber(ANumber: Integer): TQuenzelRecord;
    function RecordByName(const AName: UTF8String): TQuenzelRecord;
  end;

function QuenzelLibraryVersion: UTF8String;
function QuenzelResultName(AResult: Integer): UTF8String;
{ Lays a registry value over the registry for this process. }
procedure QuenzelSetSetting(const Key, ValueName, Value: UTF8String);

implementation

{ Sizes a string to what a call of the buffer protocol asked for. True when
  the text fitted; otherwise the string has room for it and the caller calls
  again. Needed 0 (an invalid argument) gives the empty text. }
function Fit(var S: UTF8String; Needed: NativeUInt): Boolean;
begin
  Result := Needed <= NativeUInt(Length(S)) + 1;
  if Needed = 0 then
    S := ''
  else
    SetLength(S, Needed - 1);
end;

const
  FirstCapacity = 255;

function QuenzelLibraryVersion: UTF8String;
begin
  SetLength(Result, FirstCapacity);
  if not Fit(Result, quenzel_library_version(PAnsiChar(Result), Length(Result) + 1)) then
    Fit(Result, quenzel_library_version(PAnsiChar(Result), Length(Result) + 1));
end;

function QuenzelResultName(AResult: Integer): UTF8String;
begin
  SetLength(Result, FirstCapacity);
  if not Fit(Result, quenzel_result_name(AResult, PAnsiChar(Result), Length(Result) + 1)) then
    Fit(Result, quenzel_result_name(AResult, PAnsiChar(Result), Length(Result) + 1));
end;

{ Raises for the codes of the C interface itself (negative). }
function CheckLayer(AResult: Integer; const Operation: UTF8String): Integer;
begin
  if AResult = QUENZEL_OUT_OF_MEMORY then
    OutOfMemoryError;
  if AResult < 0 then
    raise EQuenzelError.CreateResult(AResult, Operation + ': ' + QuenzelResultName(AResult));
  Result := AResult;
end;

procedure QuenzelSetSetting(const Key, ValueName, Value: UTF8String);
begin
  CheckLayer(quenzel_set_setting(PAnsiChar(Key), PAnsiChar(ValueName), PAnsiChar(Value)),
    'setting ' + Key + '\' + ValueName);
end;

constructor EQuenzelError.CreateResult(AResult: Integer; const AMessage: UTF8String);
begin
  inherited Create(string(AMessage));
  ResultCode := AResult;
  ResultName := QuenzelResultName(AResult);
end;

constructor EQuenzelError.CreateField(AResult: Integer; const AField: UTF8String; ANumber: Integer;
  const ARejected: UTF8String);
begin
  CreateResult(AResult, UTF8String(Format('%s: field %d (%s): rejected "%s"',
    [QuenzelResultName(AResult), ANumber, AField, ARejected])));
  FieldName := AField;
  FieldNumber := ANumber;
  Rejected := ARejected;
end;

{ TQuenzelCatalogue }

constructor TQuenzelCatalogue.Create(const FileName, LogName, RequiredVersion: UTF8String);
var
  Loaded: Integer;
  Error: EQuenzelLoadError;
  Path: UTF8String;
  Stop: TQuenzelReadStop;
begin
  inherited Create;
  FHandle := quenzel_catalogue_create;
  if FHandle = nil then
    OutOfMemoryError;
  Loaded := CheckLayer(quenzel_catalogue_initialise(FHandle, PAnsiChar(FileName),
    PAnsiChar(LogName), nil, PAnsiChar(RequiredVersion)), 'loading ' + FileName);
  if Loaded <> 1 then
  begin
    SetLength(Path, FirstCapacity);
    if not Fit(Path, quenzel_last_read_error(@Stop, PAnsiChar(Path), Length(Path) + 1)) then
      Fit(Path, quenzel_last_read_error(@Stop, PAnsiChar(Path), Length(Path) + 1));
    if Path = '' then
      Path := FileName;
    Error := EQuenzelLoadError.CreateResult(QUENZEL_NOT_FOUND, UTF8String(Format(
      'cannot load %s: kind %d (line %d, token %d, record %d, field %d)',
      [Path, Stop.Kind, Stop.Line, Stop.Token, Stop.RecordNumber, Stop.FieldNumber])));
    Error.Path := Path;
    Error.Stop := Stop;
    raise Error; { the destructor frees the handle }
  end;
end;

destructor TQuenzelCatalogue.Destroy;
begin
  quenzel_catalogue_free(FHandle);
  FHandle := nil;
  inherited;
end;

function TQuenzelCatalogue.Count: Integer;
begin
  Result := quenzel_catalogue_record_count(FHandle);
end;

function TQuenzelCatalogue.DefinitionPath: UTF8String;
begin
  SetLength(Result, FirstCapacity);
  if not Fit(Result, quenzel_catalogue_definition_path(FHandle, PAnsiChar(Result), Length(Result) + 1)) then
    Fit(Result, quenzel_catalogue_definition_path(FHandle, PAnsiChar(Result), Length(Result) + 1));
end;

function TQuenzelCatalogue.Contains(ANumber: Integer): Boolean;
begin
  Result := quenzel_catalogue_record(FHandle, ANumber) <> nil;
end;

function TQuenzelCatalogue.RecordByNumber(ANumber: Integer): TQuenzelRecord;
var
  Template: PQuenzelRecord;
begin
  Template := quenzel_catalogue_record(FHandle, ANumber);
  if Template = nil then
    raise EQuenzelError.CreateResult(QUENZEL_NOT_FOUND, UTF8String(Format('no record %d', [ANumber])));
  Result := TQuenzelRecord.CreateCopy(Template);
end;

function TQuenzelCatalogue.RecordByName(const AName: UTF8String): TQuenzelRecord;
var
  Template: PQuenzelRecord;
begin
  Template := quenzel_catalogue_record_by_name(FHandle, PAnsiChar(AName));
  if Template = nil then
    raise EQuenzelError.CreateResult(QUENZEL_NOT_FOUND, 'no record ' + AName);
  Result := TQuenzelRecord.CreateCopy(Template);
end;

{ TQuenzelRecord }

constructor TQuenzelRecord.CreateCopy(Source: PQuenzelRecord);
begin
  inherited Create;
  FHandle := quenzel_record_copy(Source);
  if FHandle = nil then
    OutOfMemoryError;
end;

destructor TQuenzelRecord.Destroy;
begin
  quenzel_record_free(FHandle);
  FHandle := nil;
  inherited;
end;

function TQuenzelRecord.Live: PQuenzelRecord;
begin
  if FHandle = nil then
    raise EQuenzelError.CreateResult(QUENZEL_INVALID_ARGUMENT, 'the record is freed');
  Result := FHandle;
end;

function TQuenzelRecord.Copy: TQuenzelRecord;
begin
  Result := TQuenzelRecord.CreateCopy(Live);
end;

function TQuenzelRecord.Number: Integer;
begin
  Result := quenzel_record_number(Live);
end;

function TQuenzelRecord.Name: UTF8String;
begin
  SetLength(Result, FirstCapacity);
  if not Fit(Result, quenzel_record_name(Live, PAnsiChar(Result), Length(Result) + 1)) then
    Fit(Result, quenzel_record_name(Live, PAnsiChar(Result), Length(Result) + 1));
end;

function TQuenzelRecord.Action: UTF8String;
begin
  SetLength(Result, FirstCapacity);
  Fit(Result, quenzel_action_name(quenzel_record_action(Live), PAnsiChar(Result), Length(Result) + 1));
end;

function TQuenzelRecord.FieldCount: Integer;
begin
  Result := quenzel_record_field_count(Live);
end;

function TQuenzelRecord.FieldAt(Index: Integer): TQuenzelField;
begin
  if (Index < 0) or (Index >= FieldCount) then
    raise EQuenzelError.CreateResult(QUENZEL_NOT_FOUND, UTF8String(Format('no field at %d', [Index])));
  Result := TQuenzelField.Create(Self, Index);
end;

function TQuenzelRecord.Locate(Found: PQuenzelField; const Key: UTF8String): TQuenzelField;
var
  Index: NativeUInt;
begin
  if Found <> nil then
    for Index := 0 to quenzel_record_field_count(Live) - 1 do
      if quenzel_record_field_at(Live, Index) = Found then
        Exit(TQuenzelField.Create(Self, Index));
  raise EQuenzelError.CreateResult(QUENZEL_NOT_FOUND,
    UTF8String(Format('record %d has no field %s', [Number, Key])));
end;

function TQuenzelRecord.FieldByNumber(ANumber: Integer): TQuenzelField;
begin
  Result := Locate(quenzel_record_find_field(Live, ANumber), UTF8String(IntToStr(ANumber)));
end;

function TQuenzelRecord.FieldByName(const AName: UTF8String): TQuenzelField;
begin
  Result := Locate(quenzel_record_find_field_by_name(Live, PAnsiChar(AName)), AName);
end;

function TQuenzelRecord.HasField(const AName: UTF8String): Boolean;
begin
  Result := quenzel_record_find_field_by_name(Live, PAnsiChar(AName)) <> nil;
end;

function TQuenzelRecord.CreateField(const AName: UTF8String): TQuenzelField;
var
  Count: Integer;
begin
  Count := FieldCount;
  Result := Locate(quenzel_record_create_find_field_by_name(Live, PAnsiChar(AName)), AName);
  if FieldCount <> Count then
  begin
    Inc(FGeneration); { the fields taken before lost their handles }
    Result.FGeneration := FGeneration;
  end;
end;

procedure TQuenzelRecord.Reset;
var
  Count: Integer;
begin
  Count := FieldCount;
  quenzel_record_reset(Live);
  if FieldCount <> Count then
    Inc(FGeneration);
end;

function TQuenzelRecord.KeySupplied: Boolean;
begin
  Result := quenzel_record_check_key_field_supplied(Live) = 1;
end;

procedure TQuenzelRecord.SetHostUnits(System, Factor: Integer; BackwardCompatible, Uom: Boolean);
begin
  quenzel_record_driver_set_record_weight_details(Live, System, Factor, Ord(BackwardCompatible), 0, Ord(Uom));
  quenzel_record_write(Live, nil, 0, nil);
end;

function TQuenzelRecord.Measurement(Which: Integer): Integer;
begin
  CheckLayer(quenzel_record_measurement(Live, Which, @Result), 'measurement');
end;

function TQuenzelRecord.Encode: UTF8String;
var
  Needed: NativeUInt;
  Code: Integer;
begin
  SetLength(Result, FirstCapacity);
  Code := quenzel_record_write(Live, PAnsiChar(Result), Length(Result) + 1, @Needed);
  if not Fit(Result, Needed) then
    Code := quenzel_record_write(Live, PAnsiChar(Result), Length(Result) + 1, @Needed);
  CheckLayer(Code, 'writing the record');
end;

function TQuenzelRecord.Decode(const Data: UTF8String; out Consumed: NativeUInt): Boolean;
begin
  Consumed := 0;
  Result := CheckLayer(quenzel_record_read(Live, PAnsiChar(Data), Length(Data), @Consumed),
    'reading a data record') = 1;
end;

{ TQuenzelField }

constructor TQuenzelField.Create(ARecord: TQuenzelRecord; AIndex: NativeUInt);
begin
  inherited Create;
  FRecord := ARecord;
  FIndex := AIndex;
  FGeneration := ARecord.FGeneration;
end;

function TQuenzelField.Handle: PQuenzelField;
begin
  if FGeneration <> FRecord.FGeneration then
    raise EQuenzelError.CreateResult(QUENZEL_INVALID_ARGUMENT,
      'the record''s fields changed since this field was taken');
  Result := quenzel_record_field_at(FRecord.Live, FIndex);
end;

function TQuenzelField.NumberAttribute(Which: Integer): Int64;
begin
  Result := 0;
  CheckLayer(quenzel_field_int_attribute(Handle, Which, @Result), 'number attribute');
end;

function TQuenzelField.TextAttribute(Which: Integer): UTF8String;
begin
  SetLength(Result, FirstCapacity);
  if not Fit(Result, quenzel_field_text_attribute(Handle, Which, PAnsiChar(Result), Length(Result) + 1)) then
    Fit(Result, quenzel_field_text_attribute(Handle, Which, PAnsiChar(Result), Length(Result) + 1));
end;

function TQuenzelField.Number: Integer;
begin
  Result := NumberAttribute(QUENZEL_FIELD_NUMBER);
end;

function TQuenzelField.Name: UTF8String;
begin
  Result := TextAttribute(QUENZEL_FIELD_NAME);
end;

function TQuenzelField.TypeName: UTF8String;
begin
  SetLength(Result, FirstCapacity);
  Fit(Result, quenzel_type_name(NumberAttribute(QUENZEL_FIELD_TYPE), PAnsiChar(Result), Length(Result) + 1));
end;

function TQuenzelField.Value: UTF8String;
begin
  Result := TextAttribute(QUENZEL_FIELD_VALUE);
end;

function TQuenzelField.Rejected: UTF8String;
begin
  Result := TextAttribute(QUENZEL_FIELD_REJECTED);
end;

function TQuenzelField.Flags: Cardinal;
begin
  Result := quenzel_field_flags(Handle);
end;

function TQuenzelField.GetSupplied: Boolean;
begin
  Result := Flags and QUENZEL_FLAG_SUPPLIED <> 0;
end;

procedure TQuenzelField.SetSupplied(AValue: Boolean);
begin
  quenzel_field_set_supplied(Handle, Ord(AValue));
end;

procedure TQuenzelField.TreatAsText;
begin
  quenzel_field_set_treat_as_text(Handle);
end;

function TQuenzelField.Checked(AResult: Integer): Integer;
begin
  if (AResult <> QUENZEL_NONE) and (AResult <> QUENZEL_RANGE_WARNING) then
  begin
    CheckLayer(AResult, UTF8String(Format('field %d', [Number])));
    raise EQuenzelError.CreateField(AResult, Name, Number, Rejected);
  end;
  Result := AResult;
end;

function TQuenzelField.SetText(const AText: UTF8String; PrivateOverride: Boolean): Integer;
begin
  Result := Checked(quenzel_field_set_text_utf8(Handle, PAnsiChar(AText), Length(AText), Ord(PrivateOverride)));
end;

function TQuenzelField.SetInt64(AValue: Int64; PrivateOverride: Boolean): Integer;
begin
  Result := Checked(quenzel_field_set_int64_utf8(Handle, AValue, Ord(PrivateOverride)));
end;

function TQuenzelField.SetFloat(AValue: Single; PrivateOverride: Boolean): Integer;
begin
  Result := Checked(quenzel_field_set_float_utf8(Handle, AValue, Ord(PrivateOverride)));
end;

function TQuenzelField.SetChar(AValue: Byte; PrivateOverride: Boolean): Integer;
begin
  Result := Checked(quenzel_field_set_char_utf8(Handle, AValue, Ord(PrivateOverride)));
end;

function TQuenzelField.Text: UTF8String;
var
  Needed: NativeUInt;
  Code: Integer;
begin
  SetLength(Result, FirstCapacity);
  Code := quenzel_field_get_text_utf8(Handle, PAnsiChar(Result), Length(Result) + 1, @Needed);
  if not Fit(Result, Needed) then
    Code := quenzel_field_get_text_utf8(Handle, PAnsiChar(Result), Length(Result) + 1, @Needed);
  Checked(Code);
end;

function TQuenzelField.AsInt64: Int64;
begin
  Result := 0;
  Checked(quenzel_field_get_int64_utf8(Handle, @Result));
end;

function TQuenzelField.AsFloat: Single;
begin
  Result := 0;
  Checked(quenzel_field_get_float_utf8(Handle, @Result));
end;

function TQuenzelField.AsChar: Byte;
begin
  Result := 0;
  Checked(quenzel_field_get_char_utf8(Handle, @Result));
end;

end.
