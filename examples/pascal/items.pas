{ Item data for the shop scales, from Free Pascal or Delphi.

    items ZQEXE-FOLDER NAME=VALUE...

  Loads shop.def from the zqapi folder below ZQEXE-FOLDER, fills a copy of
  record 12 (ITEM) with the values given by field name, and prints it as a
  data record. A refused value is reported and the program fails; a value
  replaced by the field's default is reported and the program goes on.

  Build: fpc -Fu<prefix>/share/quenzel/pascal -Fl<prefix>/lib items.pas }
program items;

{$IFDEF FPC}
{$mode delphi}{$H+}
{$ENDIF}

uses
  SysUtils, quenzel;

var
  Catalogue: TQuenzelCatalogue;
  Item: TQuenzelRecord;
  Field: TQuenzelField;
  Index, Equals: Integer;
begin
  if ParamCount < 1 then
  begin
    WriteLn(ErrOutput, 'usage: items ZQEXE-FOLDER NAME=VALUE...');
    Halt(2);
  end;
  QuenzelSetSetting('SOFTWARE\TORVANHOLME\Environment', 'ZQEXE',
    UTF8String(IncludeTrailingPathDelimiter(ParamStr(1))));
  QuenzelSetSetting('SOFTWARE\TORVANHOLME\Environment', 'CacheFiles', 'off');
  try
    Catalogue := TQuenzelCatalogue.Create('shop.def');
    try
      Item := Catalogue.RecordByName('ITEM');
      try
        for Index := 2 to ParamCount do
        begin
          Equals := Pos('=', ParamStr(Index));
          Field := Item.FieldByName(UTF8String(Copy(ParamStr(Index), 1, Equals - 1)));
          try
            if Field.SetText(UTF8String(Copy(ParamStr(Index), Equals + 1, MaxInt))) = QUENZEL_RANGE_WARNING then
              WriteLn(ErrOutput, Field.Name, ': default stored instead (', Field.Rejected, ')');
          finally
            Field.Free;
          end;
        end;
        WriteLn(Item.Encode);
      finally
        Item.Free;
      end;
    finally
      Catalogue.Free;
    end;
  except
    on E: EQuenzelError do
    begin
      WriteLn(ErrOutput, E.Message);
      Halt(1);
    end;
  end;
end.
