{ Type errors point at the first token of the offending expression; operators whose operands do not
  fit at the operator; wrong argument counts at the routine's name. }
program Types;
procedure P(var a: Integer);
begin
end;
function F(a, b: Integer): Integer;
begin
  Result := a + b;
end;
const
  C = 5;
var
  i: Integer;
  b: Byte;
  d: Double;
  s: string;
begin
  i := 'text';
  i := 1 + 'a';
  s := 'a' - 'b';
  i := F(1);
  i := F(1, 2, 3);
  P(5);
  C := 6;
  b := 300;
  i := d;
  if s then ;
  while i do ;
  i := Undefined + 1;
  s := IntToStr(i, 2);
  i.Foo;
end.
