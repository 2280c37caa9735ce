{ Endless recursion ends with a stack overflow error instead of a crash. }
program StackOverflow;
function Down(n: Integer): Integer;
begin
  Result := Down(n + 1) + 1;
end;
begin
  ShowMessage('start');
  ShowMessage(IntToStr(Down(0)));
end.
