{ Conversions between numbers and text: IntToStr, IntToHex, StrToInt, StrToIntDef, FloatToStr,
  StrToFloat, FormatFloat and Format. }
program FormatConvert;
begin
  ShowMessage(IntToStr(-42) + ' ' + IntToHex(255, 4) + ' ' + IntToHex(-1, 8));
  ShowMessage(IntToStr(StrToInt(' 12') + StrToInt('$1F') + StrToInt('-7')));
  ShowMessage(IntToStr(StrToIntDef('x', 5)) + ' ' + IntToStr(StrToIntDef('9', 5)));
  ShowMessage(FloatToStr(StrToFloat('2.5') * 2) + ' ' + FloatToStr(StrToFloat('1e3')));
  ShowMessage(FormatFloat('0.00', 3.14159) + ' ' + FormatFloat('#,##0.00', 1234567.891) + ' ' + FormatFloat('0.###E+00', 12345.678));
  ShowMessage(FormatFloat('#.##', 0.5) + '|' + FormatFloat('000-000', 12345) + '|' + FormatFloat('0.0;(0.0);zero', -3.25) + '|' + FormatFloat('0.0;(0.0);zero', 0));
  ShowMessage(FormatFloat('0.00', 1.005) + ' ' + FormatFloat('0.00', 2.675) + ' ' + FormatFloat('0', 2.5) + ' ' + FormatFloat('"Total: "0.00', 5));
  ShowMessage(Format('%d|%5d|%-5d|%s|%f|%.2f|%x|%8.3f|%g', [42, 42, 42, 'hi', 3.14159, 2.345, 255, 3.14159, 0.5]));
  ShowMessage(Format('%n|%5.1f|%-8s|%3s|%.3s|%u|%.4x|%d%%', [1234.5, 3.14159, 'ab', 'abcdef', 'abcdef', 42, 255, 7]));
  ShowMessage(Format('%s has %d items costing %.2f', ['cart', 3, 9.5]));
  ShowMessage(Format('%*d|%-*d|', [5, 7, 4, 3]));
  ShowMessage(Format('%.0f %.0f %.0f %.1f', [0.5, 1.5, 2.5, 0.05]));
end.
