{ Static arrays (copied on assignment), multi-dimensional arrays, dynamic arrays (shared on
  assignment), SetLength, Length, High, Low, open array parameters and array constructors. }
program StaticDynamic;
type
  TRow = array[1..3] of Integer;
  TGrid = array[0..2, 0..2] of Integer;
  TNames = array of string;
var
  a, b: TRow;
  g: TGrid;
  d, e: array of Integer;
  names: TNames;
  i, j: Integer;
  m: array of array of Integer;
  counts: array['a'..'c'] of Integer;

function Sum(const v: array of Integer): Integer;
var k: Integer;
begin
  Result := 0;
  for k := Low(v) to High(v) do
    Result := Result + v[k];
end;

procedure Fill(var v: array of Integer; value: Integer);
var k: Integer;
begin
  for k := 0 to High(v) do
    v[k] := value + k;
end;

function MakeList(n: Integer): TNames;
var k: Integer;
begin
  SetLength(Result, n);
  for k := 0 to n - 1 do
    Result[k] := 'item' + IntToStr(k);
end;

begin
  for i := 1 to 3 do a[i] := i * 10;
  b := a;
  b[1] := 99;
  ShowMessage(IntToStr(a[1]) + ' ' + IntToStr(b[1]));
  for i := 0 to 2 do
    for j := 0 to 2 do
      g[i, j] := i * 3 + j;
  ShowMessage(IntToStr(g[2, 1]) + ' ' + IntToStr(g[1][2]));
  SetLength(d, 4);
  for i := 0 to High(d) do d[i] := i * i;
  e := d;
  e[0] := 42;
  ShowMessage(IntToStr(d[0]) + ' ' + IntToStr(Length(d)) + ' ' + IntToStr(Low(d)) + ' ' + IntToStr(High(d)));
  SetLength(d, 6);
  ShowMessage(IntToStr(d[3]) + ' ' + IntToStr(d[5]));
  ShowMessage(IntToStr(Sum(a)) + ' ' + IntToStr(Sum(d)) + ' ' + IntToStr(Sum([1, 2, 3, 4])));
  Fill(a, 5);
  ShowMessage(IntToStr(a[1]) + IntToStr(a[2]) + IntToStr(a[3]));
  names := MakeList(3);
  ShowMessage(names[2] + ' ' + IntToStr(Length(names)));
  ShowMessage(MakeList(2)[1]);
  SetLength(m, 2, 3);
  m[1][2] := 7;
  ShowMessage(IntToStr(Length(m)) + ' ' + IntToStr(Length(m[0])) + ' ' + IntToStr(m[1, 2]));
  counts['b'] := 5;
  Inc(counts['b']);
  ShowMessage(IntToStr(counts['b']) + ' ' + IntToStr(Length(counts)));
  d := nil;
  ShowMessage(IntToStr(Length(d)));
  e := Copy(e, 1, 2);
  ShowMessage(IntToStr(Length(e)) + ' ' + IntToStr(e[0]));
end.
