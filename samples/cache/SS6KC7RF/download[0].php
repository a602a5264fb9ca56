<html><body><p>http://example.com/download.php?file=report.pdf</p></body></html>
