{ Prints a dBase table as Free Pascal's TDbf reads it, for the interoperability tests.
  Output, texts in the table's code page:
    LEVEL <table level> CP <code page>
    FIELD <name> <native type> <size> <precision>     one line per field
    ROW|<value>|<value>...                               one line per row; <null> when empty }
program dbfdump;
{$mode objfpc}{$H+}
uses SysUtils, Classes, db, dbf, rawbytes;

var
  T: TDbf;
  i: Integer;
  line: RawByteString;
begin
  { Texts pass through as the table's bytes; the tests convert them with iconv. }
  DefaultSystemCodePage := CP_NONE;
  T := TDbf.Create(nil);
  T.OnTranslate := @TRawBytes(nil).Keep;
  try
    T.FilePathFull := ExtractFilePath(ExpandFileName(ParamStr(1)));
    T.TableName := ExtractFileName(ParamStr(1));
    T.ReadOnly := True;
    T.Open;
    WriteLn('LEVEL ', T.TableLevel, ' CP ', T.CodePage);
    for i := 0 to T.DbfFieldDefs.Count - 1 do
      with T.DbfFieldDefs.Items[i] do
        WriteLn('FIELD ', FieldName, ' ', NativeFieldType, ' ', Size, ' ', Precision);
    T.First;
    while not T.EOF do
    begin
      line := 'ROW';
      for i := 0 to T.Fields.Count - 1 do
        if T.Fields[i].IsNull then
          line := line + '|<null>'
        else if T.Fields[i].DataType = ftDate then
          line := line + '|' + FormatDateTime('yyyy-mm-dd', T.Fields[i].AsDateTime)
        else if T.Fields[i].DataType = ftDateTime then
          line := line + '|' + FormatDateTime('yyyy-mm-dd hh:nn:ss', T.Fields[i].AsDateTime)
        else if T.Fields[i].DataType = ftFloat then
          line := line + '|' + FloatToStr(T.Fields[i].AsFloat, DefaultFormatSettings)
        else
          line := line + '|' + T.Fields[i].AsString;
      WriteLn(line);
      T.Next;
    end;
    T.Close;
  finally
    T.Free;
  end;
end.
