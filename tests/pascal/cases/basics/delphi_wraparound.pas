{ Expressions of Integer operands are computed in 32 bits and wrap, as Delphi does; an Int64 operand
  makes the expression 64-bit; storing into a narrower type truncates. }
program DelphiWraparound;
var
  a: Integer;
  b: Byte;
  big: Int64;
  sm: SmallInt;
  w: Word;
begin
  a := MaxInt;
  ShowMessage(IntToStr(a + 1));
  big := a;
  ShowMessage(IntToStr(big + 1));
  ShowMessage(IntToStr(a * 2));
  b := 250;
  b := b + 10;
  ShowMessage(IntToStr(b));
  sm := 32767;
  Inc(sm);
  ShowMessage(IntToStr(sm));
  w := 0;
  Dec(w);
  ShowMessage(IntToStr(w));
  a := -1;
  ShowMessage(IntToStr(a shr 28));
  ShowMessage(IntToStr(1 shl 33));
  a := 1;
  ShowMessage(IntToStr(a shl 33));
end.
=== output delphi: Integer expressions wrap at 32 bits and shift counts are taken mod 32
-2147483648
2147483648
-2
4
-32768
65535
15
8589934592
2
