{ Strings and dynamic arrays passed around: as parameters, results, var parameters, in records and
  arrays, through exceptions and early exits. }
program ManagedValues;
type
  TItem = record
    Name: string;
    Parts: array of string;
  end;
var
  g: string;
  items: array of TItem;
  i: Integer;
  s: string;

function Repeated(const part: string; n: Integer): string;
var k: Integer;
begin
  Result := '';
  for k := 1 to n do
    Result := Result + part;
end;

procedure AppendTo(var target: string; const piece: string);
begin
  target := target + piece;
end;

function Risky(n: Integer): string;
var local: string;
begin
  local := 'local' + IntToStr(n);
  if n mod 2 = 1 then
    raise Exception.Create('odd ' + local);
  Result := local;
end;

function FirstLong(const words: array of string): string;
var k: Integer;
begin
  Result := '';
  for k := 0 to High(words) do
    if Length(words[k]) > 3 then
    begin
      Result := words[k];
      Exit;
    end;
end;

procedure AddGlobal;
begin
  g := g + '+';
end;

begin
  ShowMessage(Repeated('ab', 3));
  s := 'x';
  AppendTo(s, 'y');
  AppendTo(s, s);
  ShowMessage(s);
  for i := 0 to 3 do
    try
      ShowMessage(Risky(i));
    except
      on E: Exception do ShowMessage(E.Message);
    end;
  ShowMessage(FirstLong(['a', 'abc', 'abcd', 'abcde']));
  SetLength(items, 2);
  items[0].Name := 'first';
  SetLength(items[0].Parts, 2);
  items[0].Parts[1] := 'p1';
  items[1] := items[0];
  items[1].Parts[1] := 'shared';
  items[1].Name := 'second';
  ShowMessage(items[0].Name + ' ' + items[0].Parts[1] + ' ' + items[1].Name);
  SetLength(items, 1);
  ShowMessage(IntToStr(Length(items)));
  g := '';
  for i := 1 to 5 do
    AddGlobal;
  ShowMessage(g);
  s := 'abc';
  s := s + s + s;
  ShowMessage(s + ' ' + IntToStr(Length(s)));
  s := Copy(s, 2, 3) + s[1];
  ShowMessage(s);
end.
=== output
ababab
xyxy
local0
odd local1
local2
odd local3
abcd
first shared second
1
+++++
abcabcabc 9
bcaa
