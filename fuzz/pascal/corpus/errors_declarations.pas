{ Declaration errors: duplicates, unsatisfied forward declarations, loops and misplaced statements. }
program Declarations;
var
  x: Integer;
  x: string;
type
  TArr = array[5..1] of Integer;
procedure Later; forward;
var
  i: Integer;
begin
  for i := 1 to 3 do
    i := 2;
  Break;
  raise;
  case i of
    1: ;
    1: ;
  end;
  Unknown;
end.
