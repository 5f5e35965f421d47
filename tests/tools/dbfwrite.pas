{ Writes a dBase table with Free Pascal's TDbf, for the interoperability tests.
  Usage: dbfwrite FILE LEVEL < layout
  The layout, texts in Windows-1252: a first line of fields "NAME:KIND:SIZE:PRECISION" separated by ";",
  KIND one of S (string), I (integer), F (float), L (logical), D (date), T (date and time),
  A (autoincrement); then one line per row, values separated by "|", an empty value left
  unset, dates as yyyy-mm-dd and times as yyyy-mm-dd hh:nn:ss, logicals T or F,
  floats with a point. A row starting with "*" is deleted after it is written. }
program dbfwrite;
{$mode objfpc}{$H+}
uses SysUtils, Classes, db, dbf, rawbytes, dbf_common;

var
  T: TDbf;
  fields, parts, values: TStringList;
  line, v: string;
  i: Integer;
  deleteRow: Boolean;
  fs: TFormatSettings;
begin
  fs := DefaultFormatSettings;
  fs.DecimalSeparator := '.';
  T := TDbf.Create(nil);
  T.OnTranslate := @TRawBytes(nil).Keep;
  fields := TStringList.Create;
  parts := TStringList.Create;
  values := TStringList.Create;
  try
    T.FilePathFull := ExtractFilePath(ExpandFileName(ParamStr(1)));
    T.TableName := ExtractFileName(ParamStr(1));
    T.TableLevel := StrToInt(ParamStr(2));
    T.LanguageID := $58; { Windows-1252, Western Europe }
    ReadLn(line);
    fields.Delimiter := ';';
    fields.StrictDelimiter := True;
    fields.DelimitedText := line;
    parts.Delimiter := ':';
    parts.StrictDelimiter := True;
    for i := 0 to fields.Count - 1 do
    begin
      parts.DelimitedText := fields[i];
      case parts[1][1] of
        'S': T.FieldDefs.Add(parts[0], ftString, StrToInt(parts[2]));
        'I': T.FieldDefs.Add(parts[0], ftInteger);
        'F': with T.FieldDefs.AddFieldDef do
             begin
               Name := parts[0]; DataType := ftFloat;
               Size := StrToInt(parts[2]); Precision := StrToInt(parts[3]);
             end;
        'L': T.FieldDefs.Add(parts[0], ftBoolean);
        'D': T.FieldDefs.Add(parts[0], ftDate);
        'T': T.FieldDefs.Add(parts[0], ftDateTime);
        'A': T.FieldDefs.Add(parts[0], ftAutoInc);
      end;
    end;
    T.CreateTable;
    T.Exclusive := True;
    T.Open;
    values.Delimiter := '|';
    values.StrictDelimiter := True;
    while not EOF(Input) do
    begin
      ReadLn(line);
      if line = '' then Continue;
      deleteRow := line[1] = '*';
      if deleteRow then Delete(line, 1, 1);
      values.DelimitedText := line;
      T.Append;
      for i := 0 to values.Count - 1 do
      begin
        v := values[i];
        if (v = '') or (T.Fields[i].DataType = ftAutoInc) then Continue;
        case T.Fields[i].DataType of
          ftString: T.Fields[i].AsString := v;
          ftInteger, ftSmallint, ftWord, ftLargeint: T.Fields[i].AsInteger := StrToInt(v);
          ftFloat: T.Fields[i].AsFloat := StrToFloat(v, fs);
          ftBoolean: T.Fields[i].AsBoolean := v = 'T';
          ftDate: T.Fields[i].AsDateTime := EncodeDate(StrToInt(Copy(v, 1, 4)),
                    StrToInt(Copy(v, 6, 2)), StrToInt(Copy(v, 9, 2)));
          ftDateTime: T.Fields[i].AsDateTime := EncodeDate(StrToInt(Copy(v, 1, 4)),
                    StrToInt(Copy(v, 6, 2)), StrToInt(Copy(v, 9, 2))) +
                    EncodeTime(StrToInt(Copy(v, 12, 2)), StrToInt(Copy(v, 15, 2)),
                    StrToInt(Copy(v, 18, 2)), 0);
        end;
      end;
      T.Post;
      if deleteRow then T.Delete;
    end;
    T.Close;
  finally
    values.Free;
    parts.Free;
    fields.Free;
    T.Free;
  end;
end.
