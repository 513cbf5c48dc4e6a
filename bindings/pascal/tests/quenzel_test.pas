{ The Pascal unit against the library: the shop example's catalogue, refused
  and replaced values, long texts and the lifetimes of field objects. Exits
  with 1 when a check fails. }
program quenzel_test;

{$IFDEF FPC}
{$mode delphi}{$H+}{$codepage utf8}
{$ENDIF}

uses
  SysUtils, quenzel;

var
  Failures: Integer = 0;
  Catalogue: TQuenzelCatalogue;

procedure Check(Condition: Boolean; const What: string);
begin
  if not Condition then
  begin
    WriteLn('FAILED: ', What);
    Inc(Failures);
  end;
end;

{ The result code of a setter call that should raise, or QUENZEL_NONE. }
function Refusal(Field: TQuenzelField; const Value: UTF8String; out Error: EQuenzelError): Integer;
begin
  Error := nil;
  Result := QUENZEL_NONE;
  try
    Field.SetText(Value);
  except
    on E: EQuenzelError do
    begin
      Result := E.ResultCode;
      Error := EQuenzelError.CreateField(E.ResultCode, E.FieldName, E.FieldNumber, E.Rejected);
    end;
  end;
end;

procedure TestCatalogue;
var
  Item: TQuenzelRecord;
  Failed: Boolean;
begin
  Check(QuenzelLibraryVersion <> '', 'library version');
  Check(quenzel_interface_version = QUENZEL_C_INTERFACE_VERSION, 'interface version');
  Check(Catalogue.Count = 18, 'record count');
  Check(Pos('shop.def', string(Catalogue.DefinitionPath)) > 0, 'definition path');
  Check(Catalogue.Contains(12) and not Catalogue.Contains(999), 'contains');
  Item := Catalogue.RecordByName('ITEM');
  try
    Check((Item.Number = 12) and (Item.Name = 'ITEM') and (Item.Action = 'SEND'), 'record 12');
  finally
    Item.Free;
  end;
  Failed := False;
  try
    Catalogue.RecordByNumber(999).Free;
  except
    on E: EQuenzelError do
      Failed := E.ResultCode = QUENZEL_NOT_FOUND;
  end;
  Check(Failed, 'record 999 is not found');
  try
    TQuenzelCatalogue.Create('missing.def').Free;
    Check(False, 'missing.def loads');
  except
    on E: EQuenzelLoadError do
      Check((E.Stop.Kind = 2) and (Pos('missing.def', string(E.Path)) > 0), 'load stop of missing.def');
  end;
end;

procedure TestEncodeDecode;
var
  Item, Copy: TQuenzelRecord;
  Field: TQuenzelField;
  Data: UTF8String;
  Consumed: NativeUInt;
begin
  Item := Catalogue.RecordByNumber(12);
  Copy := Catalogue.RecordByNumber(12);
  try
    Field := Item.FieldByName('PLU');
    Check(Field.SetInt64(4711) = QUENZEL_NONE, 'set PLU');
    Field.Free;
    Field := Item.FieldByNumber(3);
    Field.SetText('Café crème');
    Field.Free;
    Data := Item.Encode;
    Check(Pos(UTF8String('12 1 4 "4711" 3 12 "Café crème" '), Data) = 1, 'encoded: ' + string(Data));
    Check(Copy.Decode(Data, Consumed) and (Consumed = NativeUInt(Length(Data))), 'decoded');
    Field := Copy.FieldByName('PLU');
    Check(Field.AsInt64 = 4711, 'decoded PLU');
    Field.Free;
    Check(not Copy.Decode('12 3 9 "abc" 0 ', Consumed), 'short value does not decode');
  finally
    Item.Free;
    Copy.Free;
  end;
end;

procedure TestRefusals;
const
  Names: array[0..3] of UTF8String = ('PLU', 'PRICE', 'EAN', 'FONT');
  Values: array[0..3] of UTF8String = ('0', '12a', '12345678901234', 'Z');
  Results: array[0..3] of Integer = (QUENZEL_RANGE_ERROR, QUENZEL_INVALID_NUMERIC,
    QUENZEL_LENGTH_ERROR, QUENZEL_RANGE_ERROR);
var
  Item, Status: TQuenzelRecord;
  Field: TQuenzelField;
  Error: EQuenzelError;
  Index: Integer;
begin
  Item := Catalogue.RecordByNumber(12);
  try
    for Index := 0 to High(Names) do
    begin
      Field := Item.FieldByName(Names[Index]);
      Check(Refusal(Field, Values[Index], Error) = Results[Index], 'result of ' + string(Names[Index]));
      Check(Assigned(Error) and (Error.FieldName = Names[Index]) and (Error.Rejected = Values[Index]) and
        (Error.FieldNumber = Field.Number), 'error of ' + string(Names[Index]));
      Error.Free;
      Field.Free;
    end;
  finally
    Item.Free;
  end;
  { A Range Warning is a result, not an exception. }
  QuenzelSetSetting('SOFTWARE\TORVANHOLME\DRIVER\QUENZEL', 'DEFAULTDATAMODE', 'true');
  Status := Catalogue.RecordByName('SCALESTATUS');
  Field := Status.FieldByNumber(2);
  try
    Check(Field.SetText('X') = QUENZEL_RANGE_WARNING, 'range warning');
    Check((Field.Rejected = 'X:N') and (Field.Text = 'N'), 'default stored');
  finally
    Field.Free;
    Status.Free;
    QuenzelSetSetting('SOFTWARE\TORVANHOLME\DRIVER\QUENZEL', 'DEFAULTDATAMODE', 'false');
  end;
end;

procedure TestValuesAndLifetimes;
var
  Item: TQuenzelRecord;
  Tare, Plu, Text: TQuenzelField;
  Long: UTF8String;
  Error: EQuenzelError;
  Raised: Boolean;
begin
  Item := Catalogue.RecordByNumber(12);
  try
    Item.SetHostUnits(1, -2);
    Tare := Item.FieldByName('TARE');
    Tare.SetInt64(125);
    Check((Tare.Value = '1250') and (Tare.AsInt64 = 125) and (Tare.TypeName = 'WEIGHT'), 'weight');
    Check(Tare.Flags and QUENZEL_FLAG_NUMERIC <> 0, 'numeric flag');
    Check(Item.Measurement(QUENZEL_DESTINATION_SCALING_FACTOR) = -2, 'host factor');
    Tare.SetFloat(2.9);
    Check(Tare.AsFloat = 2.0, 'float cut toward zero');
    Tare.Free;
    Long := UTF8String(StringOfChar('x', 303)); { 300 letters and a euro sign }
    Long[301] := AnsiChar($E2);
    Long[302] := AnsiChar($82);
    Long[303] := AnsiChar($AC);
    Text := Item.FieldByName('DESCRIPTION');
    Check((Refusal(Text, Long, Error) = QUENZEL_NONE) and (Text.Value = Long),
      'long text through the buffer protocol');
    Text.Free;
    Plu := Item.FieldByName('PLU');
    Text := Item.CreateField('EXTRA');
    Raised := False;
    try
      Plu.SetInt64(1);
    except
      on E: EQuenzelError do
        Raised := E.ResultCode = QUENZEL_INVALID_ARGUMENT;
    end;
    Check(Raised, 'a field taken before a new field is refused');
    Text.TreatAsText;
    Item.Reset;
    Check(Item.FieldCount = 24, 'reset drops the text-only field');
    Plu.Free;
    Text.Free;
  finally
    Item.Free;
  end;
end;

begin
  QuenzelSetSetting('SOFTWARE\TORVANHOLME\Environment', 'ZQEXE',
    UTF8String(IncludeTrailingPathDelimiter(GetEnvironmentVariable('QUENZEL_SOURCE_DIR')) + 'examples/'));
  QuenzelSetSetting('SOFTWARE\TORVANHOLME\Environment', 'Codepage', '1252');
  QuenzelSetSetting('SOFTWARE\TORVANHOLME\Environment', 'CacheFiles', 'off');
  Catalogue := TQuenzelCatalogue.Create('shop.def');
  try
    TestCatalogue;
    TestEncodeDecode;
    TestRefusals;
    TestValuesAndLifetimes;
  finally
    Catalogue.Free;
  end;
  quenzel_clear_settings;
  if Failures > 0 then
  begin
    WriteLn(Failures, ' check(s) failed');
    Halt(1);
  end;
  WriteLn('all checks passed');
end.
