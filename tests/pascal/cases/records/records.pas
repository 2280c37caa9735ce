{ Records: nested records, copies on assignment, records in arrays, with statements, and records as
  parameters and function results. }
program Records;
type
  TPoint = record
    X, Y: Integer;
  end;
  TShape = record
    Name: string;
    Origin: TPoint;
    Tags: array[1..2] of string;
  end;
var
  p, q: TPoint;
  s, t: TShape;
  list: array of TShape;

function MakePoint(x, y: Integer): TPoint;
begin
  Result.X := x;
  Result.Y := y;
end;

procedure Move(var pt: TPoint; dx: Integer);
begin
  pt.X := pt.X + dx;
end;

function Describe(const sh: TShape): string;
begin
  Result := sh.Name + '@' + IntToStr(sh.Origin.X) + ',' + IntToStr(sh.Origin.Y) + ' ' + sh.Tags[1];
end;

begin
  p.X := 1;
  p.Y := 2;
  q := p;
  q.X := 10;
  ShowMessage(IntToStr(p.X) + ' ' + IntToStr(q.X));
  s.Name := 'box';
  s.Origin := MakePoint(3, 4);
  s.Tags[1] := 'red';
  t := s;
  t.Name := 'copy';
  t.Tags[1] := 'blue';
  ShowMessage(Describe(s) + ' / ' + Describe(t));
  Move(s.Origin, 5);
  ShowMessage(IntToStr(s.Origin.X));
  with s.Origin do
  begin
    X := 100;
    Y := Y + 1;
  end;
  ShowMessage(IntToStr(s.Origin.X) + ' ' + IntToStr(s.Origin.Y));
  with s do
    Name := Name + '!';
  ShowMessage(s.Name);
  SetLength(list, 2);
  list[1] := s;
  list[1].Origin.Y := 77;
  ShowMessage(IntToStr(list[1].Origin.Y) + ' ' + IntToStr(s.Origin.Y) + ' ' + list[1].Name);
  ShowMessage(IntToStr(MakePoint(8, 9).Y));
end.
=== output
1 10
box@3,4 red / copy@3,4 blue
8
100 5
box!
77 5 box!
9
