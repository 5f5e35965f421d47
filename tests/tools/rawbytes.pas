{ Keeps a table's bytes as they are: the test tools convert texts with iconv. }
unit rawbytes;
{$mode objfpc}{$H+}
interface
uses SysUtils, dbf;

type
  TRawBytes = class
    function Keep(Dbf: TDbf; Src, Dest: PChar; ToOem: Boolean): Integer;
  end;

implementation

function TRawBytes.Keep(Dbf: TDbf; Src, Dest: PChar; ToOem: Boolean): Integer;
begin
  if Src <> Dest then StrCopy(Dest, Src);
  Result := StrLen(Dest);
end;

end.
