{ The native reference for string building: 100,000 pieces appended with s := s + piece, timed by the
  program itself (best of several rounds, in microseconds). Built by run.sh with fpc -O2. }
program ConcatBench;
{$mode delphi}{$H+}
uses SysUtils, BaseUnix, Unix;

function Micros: Int64;
var tv: TTimeVal;
begin
  fpgettimeofday(@tv, nil);
  Result := Int64(tv.tv_sec) * 1000000 + tv.tv_usec;
end;

var
  s, piece: string;
  i, round: Integer;
  start, best, took: Int64;
begin
  piece := 'abcdefghij';
  best := High(Int64);
  for round := 1 to 10 do
  begin
    start := Micros;
    s := '';
    for i := 1 to 100000 do
      s := s + piece;
    took := Micros - start;
    if took < best then best := took;
  end;
  WriteLn(best, ' ', Length(s));
end.
