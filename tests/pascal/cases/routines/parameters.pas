{ Procedures and functions: value, var, const and out parameters, Result, Exit, recursion, nesting,
  forward declarations and default parameters. }
program Parameters;
var
  g: Integer;

procedure Swap(var a, b: Integer);
var t: Integer;
begin
  t := a; a := b; b := t;
end;

procedure MakeTwo(out v: Integer);
begin
  v := 2;
end;

function Join(const a: string; b: string; sep: string = '-'): string;
begin
  b := b + '!';
  Result := a + sep + b;
end;

function Fact(n: Integer): Int64;
begin
  if n <= 1 then Exit(1);
  Result := n * Fact(n - 1);
end;

function IsEven(n: Integer): Boolean; forward;

function IsOdd(n: Integer): Boolean;
begin
  if n = 0 then Result := False else Result := IsEven(n - 1);
end;

function IsEven(n: Integer): Boolean;
begin
  if n = 0 then Result := True else Result := IsOdd(n - 1);
end;

function Outer(x: Integer): Integer;
var
  acc: Integer;

  procedure Add(v: Integer);
  begin
    acc := acc + v * x;
  end;

begin
  acc := 0;
  Add(1);
  Add(2);
  Result := acc;
end;

function Early(n: Integer): string;
begin
  Result := 'start';
  if n > 0 then
  begin
    Result := 'positive';
    Exit;
  end;
  Result := 'not positive';
end;

function Twice(n: Integer): Integer;
begin
  Twice := n * 2;
end;

procedure IncGlobal;
begin
  Inc(g);
end;

var
  x, y: Integer;
  s: string;
begin
  x := 1; y := 2;
  Swap(x, y);
  ShowMessage(IntToStr(x) + IntToStr(y));
  MakeTwo(x);
  ShowMessage(IntToStr(x));
  s := 'b';
  ShowMessage(Join('a', s) + ' ' + Join('a', s, '+') + ' ' + s);
  ShowMessage(IntToStr(Fact(20)));
  if IsEven(10) and IsOdd(7) then ShowMessage('mutual recursion');
  ShowMessage(IntToStr(Outer(10)));
  ShowMessage(Early(1) + ' ' + Early(0));
  ShowMessage(IntToStr(Twice(21)));
  g := 0;
  IncGlobal;
  IncGlobal();
  ShowMessage(IntToStr(g));
end.
=== output
21
2
a-b! a+b! b
2432902008176640000
mutual recursion
30
positive not positive
42
2
