{ An uncaught division by zero ends the run with the row and column of the division. }
program DivisionByZero;
var
  a, b: Integer;
begin
  a := 10;
  b := 0;
  ShowMessage('before');
  a := a div b;
  ShowMessage('after');
end.
