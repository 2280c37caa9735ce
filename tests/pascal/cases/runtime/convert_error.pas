{ Conversion errors of the standard routines name the text that could not be converted. }
program ConvertError;
var
  n: Integer;
begin
  try
    n := StrToInt('12a');
  except
    on E: EConvertError do ShowMessage(E.Message);
  end;
  try
    ShowMessage(FloatToStr(StrToFloat('1,5')));
  except
    on E: EConvertError do ShowMessage(E.Message);
  end;
  n := StrToInt('99999999999');
end.
=== output delphi: Delphi's messages, and out-of-range values are errors
'12a' is not a valid integer value
'1,5' is not a valid floating point value
=== error
Runtime error (16:8): '99999999999' is not a valid integer value
