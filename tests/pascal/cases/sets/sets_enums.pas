{ Enumerations, subranges and sets: membership, union, difference, intersection, comparisons,
  Include and Exclude, and sets of characters. }
program SetsEnums;
type
  TColor = (Red, Green, Blue, Yellow);
  TColors = set of TColor;
  TDigit = 0..9;
var
  c: TColor;
  cs, other: TColors;
  chars: set of Char;
  d: TDigit;
  n: Integer;
  bytes: set of Byte;
begin
  cs := [Red, Blue];
  if Blue in cs then ShowMessage('blue in');
  if not (Green in cs) then ShowMessage('green out');
  other := cs + [Green] - [Red];
  n := 0;
  for c := Red to Yellow do
    if c in other then Inc(n);
  ShowMessage(IntToStr(n));
  if cs * other = [Blue] then ShowMessage('intersection');
  if [Blue] <= cs then ShowMessage('subset');
  if cs <> other then ShowMessage('differ');
  Include(cs, Yellow);
  Exclude(cs, Red);
  if cs = [Blue, Yellow] then ShowMessage('include exclude');
  ShowMessage(IntToStr(Ord(Blue)) + ' ' + IntToStr(Ord(High(TColor))));
  c := Succ(Red);
  if c = Green then ShowMessage('succ');
  chars := ['a'..'z', '0'..'9', '_'];
  if ('q' in chars) and ('5' in chars) and not ('#' in chars) then ShowMessage('char set');
  d := 7;
  ShowMessage(IntToStr(d + 5));
  bytes := [1, 3, 5];
  n := 4;
  if not (n in bytes) and (n + 1 in bytes) then ShowMessage('byte set');
  if [] = [] then ShowMessage('empty');
  c := TColor(2);
  if c = Blue then ShowMessage('cast to enum');
end.
=== output
blue in
green out
2
intersection
subset
differ
include exclude
2 3
succ
char set
12
byte set
empty
cast to enum
