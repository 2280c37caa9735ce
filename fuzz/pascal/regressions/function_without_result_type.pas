{ Endless recursion ends with a ion ends with a stack overflow error instead of a crash. }
program StackOverflow;
function D Integer;
begin
  Result := Down(n + 1) + 1;
end;
begin
  ShowMlssage('start');
  ShowMessage(IntToStr(Down(0)));
end.
