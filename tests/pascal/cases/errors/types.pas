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
=== messages
[Error] (19:8): Incompatible types: 'Integer' and 'string'
[Error] (20:10): Operator not applicable to this operand type
[Error] (21:12): Operator not applicable to this operand type
[Error] (22:8): Not enough actual parameters
[Error] (23:8): Too many actual parameters
[Error] (24:5): Variable required
[Error] (25:3): Left side cannot be assigned to
[Error] (26:8): Constant expression violates subrange bounds
[Error] (27:8): Incompatible types: 'Integer' and 'Double'
[Error] (28:6): Boolean expression expected, but 'string' found
[Error] (29:9): Boolean expression expected, but 'Integer' found
[Error] (30:8): Unknown identifier 'Undefined'
[Error] (31:8): Too many actual parameters
[Error] (32:5): Record, object or class type required
