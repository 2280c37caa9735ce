{ Date and time routines with fixed dates: encoding, decoding, days of the week, adding days and
  formatting with explicit patterns. }
program Dates;
var
  d, t: TDateTime;
  y, m, dd, h, n, s, ms: Word;
begin
  d := EncodeDate(2024, 2, 29);
  DecodeDate(d, y, m, dd);
  ShowMessage(IntToStr(y) + '-' + IntToStr(m) + '-' + IntToStr(dd));
  ShowMessage(IntToStr(DayOfWeek(d)));
  ShowMessage(FormatDateTime('yyyy-mm-dd', IncDay(d, 1)));
  ShowMessage(FormatDateTime('dd.mm.yy', IncDay(d, -60)));
  t := EncodeTime(13, 5, 7, 250);
  DecodeTime(t, h, n, s, ms);
  ShowMessage(IntToStr(h) + ':' + IntToStr(n) + ':' + IntToStr(s) + '.' + IntToStr(ms));
  ShowMessage(FormatDateTime('hh:nn:ss.zzz', t));
  ShowMessage(FormatDateTime('h:n:s', t) + ' ' + FormatDateTime('hh:mm', t));
  ShowMessage(FormatDateTime('dddd, d. mmmm yyyy', d) + ' | ' + FormatDateTime('ddd mmm', d));
  ShowMessage(FormatDateTime('yyyy"-"mm"-"dd hh"h"', d + t));
  ShowMessage(FormatDateTime('hh:nn am/pm', t) + ' ' + FormatDateTime('h AM/PM', EncodeTime(0, 30, 0, 0)));
  ShowMessage(FloatToStr(EncodeDate(1899, 12, 30)) + ' ' + FloatToStr(EncodeDate(2000, 1, 1)));
  try
    d := EncodeDate(2023, 2, 29);
  except
    on E: EConvertError do ShowMessage('invalid date');
  end;
end.
=== output
2024-2-29
5
2024-03-01
31.12.23
13:5:7.250
13:05:07.250
13:5:7 13:05
Thursday, 29. February 2024 | Thu Feb
2024-02-29 13h
01:05 pm 12 AM
0 36526
invalid date
