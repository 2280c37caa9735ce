{ Columns count characters, not bytes: an error after umlauts and a tab is reported where an editor
  shows it. }
program Columns;
var
  s: string;
begin
  s := 'Grüße aus München' + Unbekannt;
	s := s + Fehler;
  { Kommentar mit Ümlauten } s := s + Nochmal;
end.
=== messages
[Error] (7:30): Unknown identifier 'Unbekannt'
[Error] (8:11): Unknown identifier 'Fehler'
[Error] (9:39): Unknown identifier 'Nochmal'
