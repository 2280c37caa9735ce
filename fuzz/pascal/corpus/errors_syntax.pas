{ Syntax errors point at the token found where something else was expected: a missing ';' at the
  first token of the next statement, a missing 'end' at the final '.'. The checker still reports the
  errors of the rest of the program. }
program Syntax;
var
  x: Integer;
begin
  x := 3
  ShowMessage('after');
  x := Foo;
  if x > 2 then
  begin
    x := 1;
.
