{ Booleans with short-circuit evaluation, characters and ordinal routines. }
program BooleansChars;
var
  b: Boolean;
  c: Char;
  n: Integer;

function Noisy(v: Boolean): Boolean;
begin
  ShowMessage('evaluated');
  Result := v;
end;

begin
  b := True;
  if b and not False then ShowMessage('and works');
  if False and Noisy(True) then ShowMessage('never');
  if True or Noisy(True) then ShowMessage('short-circuit or');
  b := (3 > 2) xor (1 > 2);
  if b then ShowMessage('xor true');
  ShowMessage(BoolToStr(b, True));
  c := 'A';
  ShowMessage(c + IntToStr(Ord(c)));
  c := Chr(Ord(c) + 2);
  ShowMessage(c);
  c := Succ(c);
  ShowMessage(c + Pred('b'));
  ShowMessage(IntToStr(Ord(High(Char))));
  ShowMessage(IntToStr(Ord(True)) + IntToStr(Ord(False)));
  n := 0;
  for c := 'a' to 'e' do
    Inc(n);
  ShowMessage(IntToStr(n));
  if 'abc' < 'abd' then ShowMessage('string order');
  if c = 'e' then ShowMessage('loop variable keeps its last value');
  ShowMessage(#72#105 + #$21);
end.
=== output
and works
short-circuit or
xor true
True
A65
C
Da
255
10
5
string order
loop variable keeps its last value
Hi!
