{ Values that round to zero: '#' placeholders show nothing, as for zero itself; %g shows fifteen
  significant digits. }
program SmallNumbers;
begin
  ShowMessage('[' + FormatFloat('#.##', 0.000123) + '] [' + FormatFloat('0.##', 0.000123) + '] [' + FormatFloat('#.##', 0) + ']');
  ShowMessage(FormatFloat('0.00', 0.001234) + ' ' + FormatFloat('0.000E+00', 0.001234));
  ShowMessage(Format('%g %g %g', [0.1, 0.000123, 1e-10]));
  ShowMessage(FloatToStr(0.0001) + ' ' + FloatToStr(0.00001) + ' ' + FloatToStr(1.5E-5));
end.
=== output delphi: Free Pascal shows rounded-away digits as ".00", seventeen digits for %g, and 1E-5 as 0.00001
[] [0] []
0.00 1.234E-03
0.1 0.000123 1E-10
0.0001 1E-5 1.5E-5
