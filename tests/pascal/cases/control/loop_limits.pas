{ Loops whose limit lies beyond the loop variable's type stop at the type's end; a limit on the other
  side means no iterations. }
program LoopLimits;
var
  b: Byte;
  n, limit: Integer;
begin
  n := 0;
  limit := -5;
  for b := 0 to limit do
    Inc(n);
  ShowMessage(IntToStr(n));
  limit := 300;
  n := 0;
  for b := 250 to limit do
    Inc(n);
  ShowMessage(IntToStr(n) + ' ' + IntToStr(b));
  limit := -3;
  n := 0;
  for b := 3 downto limit do
    Inc(n);
  ShowMessage(IntToStr(n) + ' ' + IntToStr(b));
end.
=== output delphi: Delphi leaves such loops undefined; here the variable stays within its type
0
6 255
4 0
