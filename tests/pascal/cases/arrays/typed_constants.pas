{ Typed constants: scalars, arrays and records given as constant lists, and constant expressions. }
program TypedConstants;
type
  TPoint = record
    X, Y: Integer;
  end;
const
  Count = 3;
  Names: array[1..Count] of string = ('one', 'two', 'three');
  Origin: TPoint = (X: 1; Y: -2);
  Grid: array[0..1, 0..2] of Integer = ((1, 2, 3), (4, 5, 6));
  Rate: Double = 1.5;
  Greeting = 'Hello' + ', ' + 'World';
  Mask = $F0 or $0F;
  Big = 1 shl 40;
var
  i: Integer;
  s: string;

function Lookup(n: Integer): string;
const
  Words: array[0..2] of string = ('zero', 'one', 'two');
begin
  Result := Words[n];
end;

begin
  s := '';
  for i := 1 to Count do
    s := s + Names[i] + ' ';
  ShowMessage(s);
  ShowMessage(IntToStr(Origin.X) + ',' + IntToStr(Origin.Y));
  ShowMessage(IntToStr(Grid[1, 2]) + ' ' + FloatToStr(Rate * 2));
  ShowMessage(Greeting + ' ' + IntToStr(Mask) + ' ' + IntToStr(Big));
  ShowMessage(Lookup(2) + Lookup(0));
  ShowMessage(IntToStr(Length(Names)) + ' ' + IntToStr(High(Names)));
end.
=== output
one two three 
1,-2
6 3
Hello, World 255 1099511627776
twozero
3 3
