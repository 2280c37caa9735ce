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
=== messages
[Error] (5:3): Identifier redeclared: 'x'
[Error] (7:19): Lower bound of a subrange is greater than its upper bound
[Error] (8:11): Unsatisfied forward declaration: 'Later'
[Error] (13:5): For loop control variable 'i' cannot be assigned
[Error] (14:3): Break outside of a loop
[Error] (15:3): Re-raising an exception is only allowed in an exception handler
[Error] (18:5): Duplicate case label
[Error] (20:3): Unknown identifier 'Unknown'
