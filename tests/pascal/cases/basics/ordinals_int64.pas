{ Int64 and Cardinal arithmetic, mixed with Integer; ordinal casts and truncation; bitwise operators on
  unsigned values; Odd, Succ, Pred, Ord on several types. }
program OrdinalsInt64;
var
  a: Int64;
  b: Integer;
  c: Cardinal;
  w: Word;
  by: Byte;
  e: Int64;
begin
  a := 1;
  a := a shl 40;
  ShowMessage(IntToStr(a) + ' ' + IntToStr(a shr 38));
  b := 7;
  e := a * b;
  ShowMessage(IntToStr(e));
  c := 4000000000;
  c := c + 1000000000;
  ShowMessage(IntToStr(c));
  c := 10;
  ShowMessage(IntToStr(c - 20));
  w := 300;
  by := Byte(w);
  ShowMessage(IntToStr(by) + ' ' + IntToStr(Word(-1)) + ' ' + IntToStr(ShortInt(200)));
  ShowMessage(IntToStr(Integer(3000000000)));
  ShowMessage(BoolToStr(Odd(7), True) + ' ' + BoolToStr(Odd(-4), True));
  ShowMessage(IntToStr(Succ(10)) + ' ' + IntToStr(Pred(Int64(0))));
  a := -9223372036854775807 - 1;
  ShowMessage(IntToStr(a));
  ShowMessage(IntToStr(Abs(-5000000000)));
  c := $FFFFFFFF;
  ShowMessage(IntToStr(c and $FF) + ' ' + IntToStr(c shr 28) + ' ' + IntToStr(not c));
  if a < 0 then ShowMessage('negative');
  ShowMessage(IntToStr(High(Cardinal)) + ' ' + IntToStr(High(Word)) + ' ' + IntToStr(Low(ShortInt)));
end.
=== output delphi: a Cardinal minus a constant that fits Cardinal stays Cardinal and wraps
1099511627776 4
7696581394432
705032704
4294967286
44 65535 -56
-1294967296
True False
11 -1
-9223372036854775808
5000000000
255 15 0
negative
4294967295 65535 -128
