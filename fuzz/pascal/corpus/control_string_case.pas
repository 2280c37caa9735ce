{ case with a string selector. Free Pascal accepts this only in its objfpc mode (fpc-mode: objfpc). }
program StringCase;
var
  s: string;
  i: Integer;
const
  Words: array[0..3] of string = ('alpha', 'beta', 'gamma', 'delta');
begin
  for i := 0 to 3 do
  begin
    s := Words[i];
    case s of
      'alpha': ShowMessage('A');
      'beta', 'gamma': ShowMessage('B or G');
    else
      ShowMessage('other: ' + s);
    end;
  end;
  case LowerCase('ALPHA') of
    'alpha': ShowMessage('computed selector');
  end;
end.
