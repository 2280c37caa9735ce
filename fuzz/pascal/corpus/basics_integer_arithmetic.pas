{ Integer operators, precedence, div and mod with negative operands, shifts, and widths. }
program IntegerArithmetic;
var
  a, b: Integer;
  c: Int64;
  w: Word;
  s: ShortInt;
  u: Cardinal;
begin
  a := 17;
  b := 5;
  ShowMessage(IntToStr(a + b * 2));
  ShowMessage(IntToStr((a + b) * 2));
  ShowMessage(IntToStr(a div b) + ' ' + IntToStr(a mod b));
  ShowMessage(IntToStr(-a div b) + ' ' + IntToStr(-a mod b));
  ShowMessage(IntToStr(a div -b) + ' ' + IntToStr(a mod -b));
  ShowMessage(IntToStr(a and 3) + ' ' + IntToStr(a or 8) + ' ' + IntToStr(a xor 1));
  ShowMessage(IntToStr(1 shl 10) + ' ' + IntToStr(1024 shr 3));
  ShowMessage(IntToStr(-a) + ' ' + IntToStr(+b) + ' ' + IntToStr(not 0));
  c := 3000000000;
  c := c * 4;
  ShowMessage(IntToStr(c));
  w := 65535;
  ShowMessage(IntToStr(w));
  s := -128;
  ShowMessage(IntToStr(s));
  u := 4000000000;
  ShowMessage(IntToStr(u));
  ShowMessage(IntToStr($FF) + ' ' + IntToStr($7FFFFFFF));
  ShowMessage(IntToStr(High(Integer)) + ' ' + IntToStr(Low(Integer)));
  ShowMessage(IntToStr(High(Int64)));
  ShowMessage(IntToStr(Abs(-7)) + ' ' + IntToStr(Sqr(9)) + ' ' + IntToStr(Min(3, -4)) + ' ' + IntToStr(Max(3, -4)));
end.
