<html><body><p>http://cdn.example.com/assets/app.js?v=1.2.3</p></body></html>
