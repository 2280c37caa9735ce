{ Real arithmetic, conversions and the standard real routines. }
program Reals;
var
  x, y: Double;
  e: Extended;
  i: Integer;
begin
  x := 7;
  y := 2;
  ShowMessage(FloatToStr(x / y));
  ShowMessage(FloatToStr(7 / 2));
  i := 3;
  ShowMessage(FloatToStr(i * 1.5));
  ShowMessage(FloatToStr(Sqrt(16)) + ' ' + FloatToStr(Sqr(1.5)) + ' ' + FloatToStr(Abs(-2.25)));
  ShowMessage(IntToStr(Round(2.5)) + ' ' + IntToStr(Round(3.5)) + ' ' + IntToStr(Round(-2.5)) + ' ' + IntToStr(Round(2.6)));
  ShowMessage(IntToStr(Trunc(2.9)) + ' ' + IntToStr(Trunc(-2.9)));
  ShowMessage(FloatToStr(Int(-3.75)) + ' ' + FloatToStr(Frac(3.75)));
  ShowMessage(FloatToStr(Power(2, 10)) + ' ' + FloatToStr(Exp(0)) + ' ' + FloatToStr(Ln(1)));
  ShowMessage(FloatToStr(Sin(0)) + ' ' + FloatToStr(Cos(0)));
  e := 1 / 3;
  ShowMessage(FloatToStr(e));
  ShowMessage(FloatToStr(0.1 + 0.2));
  ShowMessage(FloatToStr(1e20) + ' ' + FloatToStr(1.5e-7) + ' ' + FloatToStr(123456789012345.0));
  ShowMessage(FloatToStr(Max(1.5, 2)) + ' ' + FloatToStr(Min(1.5, 2)));
  if x > y then ShowMessage('greater');
  if 2.0 = 2 then ShowMessage('equal');
end.
=== output
3.5
3.5
4.5
4 2.25 2.25
2 4 -2 3
2 -2
-3 0.75
1024 1 0
0 1
0.333333333333333
0.3
1E20 1.5E-7 123456789012345
2 1.5
greater
equal
