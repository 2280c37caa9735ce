{ Functions returning static arrays and records (also with strings inside), Exit with a record,
  enumeration-indexed typed constants and sets of subranges. }
program CompositeResults;
type
  TColor = (Red, Green, Blue, Yellow);
  TWarm = Red..Yellow;
  TTriple = array[1..3] of Integer;
  TNamed = record
    Name: string;
    Values: TTriple;
  end;
const
  ColorNames: array[TColor] of string = ('red', 'green', 'blue', 'yellow');
  Vowels: set of Char = ['a', 'e', 'i', 'o', 'u'];
var
  t: TTriple;
  n: TNamed;
  warm: set of TWarm;
  c: TColor;
  s: string;

function Triple(a: Integer): TTriple;
begin
  Result[1] := a;
  Result[2] := a * 2;
  Result[3] := a * 3;
end;

function Named(const name: string; base: Integer): TNamed;
begin
  if base < 0 then
  begin
    Result.Name := 'negative';
    Exit;
  end;
  Result.Name := name + '!';
  Result.Values := Triple(base);
end;

function Pick(first: Boolean): TNamed;
var
  a, b: TNamed;
begin
  a := Named('a', 1);
  b := Named('b', 2);
  if first then Exit(a);
  Result := b;
end;

begin
  t := Triple(7);
  ShowMessage(IntToStr(t[1] + t[2] + t[3]) + ' ' + IntToStr(Triple(5)[3]));
  n := Named('box', 4);
  ShowMessage(n.Name + ' ' + IntToStr(n.Values[2]) + ' ' + Named('x', -1).Name);
  ShowMessage(Pick(True).Name + Pick(False).Name + IntToStr(Pick(False).Values[3]));
  s := '';
  for c := Low(TColor) to High(TColor) do
    s := s + ColorNames[c] + ',';
  ShowMessage(s);
  warm := [Red, Yellow];
  if Yellow in warm then ShowMessage('warm yellow');
  s := '';
  for c := Red to Yellow do
    if c in warm then s := s + ColorNames[c];
  ShowMessage(s);
  if ('e' in Vowels) and not ('x' in Vowels) then ShowMessage('vowels');
end.
=== output
42 15
box! 8 negative
a!b!6
red,green,blue,yellow,
warm yellow
redyellow
vowels
