#include "datatable.h"
#include "requestimport.h"

#include <QTest>

using namespace Qt::StringLiterals;
using requestimport::Result;

class TestRequestImport : public QObject {
    Q_OBJECT

private slots:
    void reads_data();
    void reads()
    {
        // "METHOD url", a line per header, a blank line, the data; or what a refusal says.
        const auto [text, expected] = fetch<QString, QString>("text", "expected");
        const Result result = requestimport::read(text);
        const request::Request& d = result.description.request;
        QString described = d.method % u' ' % d.url % u'\n';
        for (const request::Header& header : d.headers)
            described += header.name % u": " % header.value % u'\n';
        described += u'\n' % d.body;
        if (result.kind != Result::Kind::Imported)
            described = result.kind == Result::Kind::Plain ? u"(plain text)"_s : u"refused: "_s.append(result.message);
        QCOMPARE(described, expected);
    }

    // PowerShell's strings, each the -Body of a command.
    void powerShellStrings_data()
    {
        const auto row = columns<QString, QString>("literal", "value");
        row("doubled quotes, escaped $ and backtick", u"\"`$x `\"q`\" \"\"q\"\" a``b\""_s, u"$x \"q\" \"q\" a`b"_s);
        row("escapes", u"\"`a`b`e`f`n`r`t`v`u{1F60A}`x\""_s, u"\a\b\x1b\f\n\r\t\v😊x"_s);
        row("$ that starts no name", u"\"$ and $\""_s, u"$ and $"_s);
        row("a surrogate pair by number", u"\"$([char]55357)$([char]56832)\""_s, u"😀"_s);
        row("half a pair", u"\"$([char]55357)!\""_s, u"\ufffd!"_s);
        row("single quotes", u"'it''s `n $x \"'"_s, u"it's `n $x \""_s);
        row("over lines", u"\"a\r\nb\""_s, u"a\r\nb"_s);
        row("a bare word", u"a`tb"_s, u"a\tb"_s);
    }

    void powerShellStrings()
    {
        const auto [literal, value] = fetch<QString, QString>("literal", "value");
        const Result result = requestimport::read(QString(u"iwr http://h/ -Body "_s % literal));
        QCOMPARE(result.message, QString());
        QCOMPARE(result.description.request.body, value);
    }

    // Large and many, beyond what the fuzz target tries: 1 MB of quotes after curl, 100,000 options,
    // 200,000 braces in a word.
    void largeInputs()
    {
        const auto kind = [](const QString& text) { return int(requestimport::read(text).kind); };
        QCOMPARE(kind(u"curl '"_s % QString(1 << 20, u'\'')), int(Result::Kind::Refused));
        QCOMPARE(kind(u"curl http://h/"_s % u" -s"_s.repeated(100000)), int(Result::Kind::Imported));
        QCOMPARE(kind(u"curl http://h/ -d "_s % u"{"_s.repeated(200000) % u','), int(Result::Kind::Imported));
    }
};

// The rows hold browsers' captures as they copy them; moc reads no raw strings, so they are out here.
void TestRequestImport::reads_data()
{
    const auto row = columns<QString, QString>("text", "expected");
    const QString post = u"POST https://api.example.com/v1/items?q=caf%C3%A9&sort=asc\n"
                         "accept: application/json, text/plain\ncontent-type: application/json\n"
                         "cookie: sid=abc123; theme=dark\nx-note: it's été! 😀\nx-empty: \n\n"
                         R"({"name":"Zoë \"Z\" 100%","note":"line1\nline2","ok":true})"_s;
    row("Chrome, bash: POST with JSON", uR"cap(curl 'https://api.example.com/v1/items?q=caf%C3%A9&sort=asc' \
  -H 'accept: application/json, text/plain' \
  -H 'content-type: application/json' \
  -H 'cookie: sid=abc123; theme=dark' \
  -H $'x-note: it\'s été\u0021 😀' \
  -H 'x-empty;' \
  --data-raw '{"name":"Zoë \"Z\" 100%","note":"line1\nline2","ok":true}' \
  --compressed)cap"_s,
        post);
    row("Chrome, cmd: GET with cookies", uR"cap(curl ^"http://127.0.0.1:8080/search?q=hello^!&lang=fr^" ^
  -H ^"User-Agent: Mozilla/5.0 (X11; Linux x86_64) Gecko/20100101 Firefox/120.0^" ^
  -H ^"Referer: http://127.0.0.1:8080/^" ^
  -H ^"Accept-Language: fr-FR,fr;q=0.8^" ^
  -b ^"a=1; b=two words^" ^
  --compressed ^
  --insecure)cap"_s.replace(u"\n"_s, u"\r\n"_s), // copied on Windows, cmd's lines end with CR LF
        u"GET http://127.0.0.1:8080/search?q=hello!&lang=fr\n"
        "User-Agent: Mozilla/5.0 (X11; Linux x86_64) Gecko/20100101 Firefox/120.0\nReferer: http://127.0.0.1:8080/\n"
        "Accept-Language: fr-FR,fr;q=0.8\nCookie: a=1; b=two words\n\n"_s);
    row("Chrome, cmd, doubled quotes: POST with JSON",
        uR"cap(curl "https://api.example.com/v1/items?q=caf"%"C3"%"A9&sort=asc" -H "accept: application/json, text/plain" -H "content-type: application/json" -H "cookie: sid=abc123; theme=dark" -H "x-note: it's été! 😀" -H "x-empty;" --data-binary "{""name"":""Zoë \\""Z\\"" 100"%""",""note"":""line1\\nline2"",""ok"":true}" --compressed)cap"_s,
        post);
    row("Firefox, Windows: POST with JSON",
        uR"cap(curl.exe ^"https://api.example.com/v1/items?q=caf^%^C3^%^A9&sort=asc^" ^
  -H ^"accept: application/json, text/plain^" ^
  -H ^"content-type: application/json^" ^
  -H ^"cookie: sid=abc123; theme=dark^" ^
  -H ^"x-note: it's ^ét^é^! ^😀^" ^
  -H ^"x-empty;^" ^
  --data-raw ^"^{^\^"name^\^":^\^"Zo^ë ^\^\^\^"Z^\^\^\^" 100^%^\^",^\^"note^\^":^\^"line1^\^\nline2^\^",^\^"ok^\^":true^}^" ^
  -X POST)cap"_s,
        post);

    // Typed by hand.
    row("-XPOST, combined flags, URL last", u"curl -sSLXPOST -H 'A: 1' -d a=1 -d b=2 http://h.example/"_s,
        u"POST http://h.example/\nA: 1\nContent-Type: application/x-www-form-urlencoded\n\na=1&b=2"_s);
    row("-G puts the data in the query", u"curl -G --url 'http://h.example/s?x=1' -d q=a --data-urlencode 'r=b c'"_s,
        u"GET http://h.example/s?x=1&q=a&r=b%20c\n\n"_s);
    row("-u, -A, -e", u"curl -u me:pw -A agent/1 -e http://from.example/ -d x http://h.example/"_s,
        u"POST http://h.example/\nAuthorization: Basic bWU6cHc=\nUser-Agent: agent/1\nReferer: http://from.example/\n"
        "Content-Type: application/x-www-form-urlencoded\n\nx"_s);
    row("--json", u"$ curl --json '{\"a\":1}' http://h.example/"_s,
        u"POST http://h.example/\nContent-Type: application/json\nAccept: application/json\n\n{\"a\":1}"_s);
    row("other methods as given", u"curl -X delete http://h.example/1"_s, u"DELETE http://h.example/1\n\n"_s);
    row("-I, --globoff", u"curl -I http://h.example/ --globoff"_s, u"HEAD http://h.example/\n\n"_s);
    row("-G before a fragment", u"curl -G -d 'a=1' 'http://x.test/?x#frag'"_s, u"GET http://x.test/?x&a=1#frag\n\n"_s);
    row("cookies in one row", u"curl -b a=b http://h.example/ -b 'c=d'"_s,
        u"GET http://h.example/\nCookie: a=b; c=d\n\n"_s);
    row("-H Cookie wins over -b", u"curl -H 'Cookie: a=b' -b c=d -H 'cookie: e=f' http://h.example/"_s,
        u"GET http://h.example/\nCookie: a=b; e=f\n\n"_s);
    row("--json joins with nothing, -d with &",
        u"curl --json '{\"a\":1}' --json '{\"b\":2}' -d x=1 http://h.example/"_s,
        u"POST http://h.example/\nContent-Type: application/json\nAccept: application/json\n\n{\"a\":1}{\"b\":2}&x=1"_s);
    row("words bash reads as written", u"curl -H $\"X-A: b\" 'http://h.example/~u/{a,b}' -d a~b -d a\\"_s,
        u"POST http://h.example/~u/{a,b}\nX-A: b\nContent-Type: application/x-www-form-urlencoded\n\na~b&a\\"_s);

    row("quotes closed and opened again, $ and ` quoted",
        u"curl -X 'PUT' 'http://h.example/a'\\''b?x=$HOME&y=`id`' -H 'X-Q: it'\\''s \"q\" \\ $(x) !!' -H 'X-E;' "
        "--data-raw '{\"a\":\"b\\\"c\\n\"}'"_s,
        u"PUT http://h.example/a'b?x=$HOME&y=`id`\nX-Q: it's \"q\" \\ $(x) !!\nX-E: \n"
        "Content-Type: application/x-www-form-urlencoded\n\n{\"a\":\"b\\\"c\\n\"}"_s);
    row("a ^ ending a line inside bash quotes", u"curl 'http://h.example/a^\nb'"_s,
        u"GET http://h.example/a^\nb\n\n"_s);
    row("line breaks, tabs and beyond ASCII quoted",
        u"curl 'https://h.example/é/😀' -H 'Content-Type: text/plain' -H 'X-T: a\tb' --data-raw 'l 1\r\nl 2\n\tü'"_s,
        u"POST https://h.example/é/😀\nContent-Type: text/plain\nX-T: a\tb\n\nl 1\r\nl 2\n\tü"_s);

    // fetch, as Chrome and Firefox copy it.
    row("Chrome fetch", uR"cap(fetch("https://h.example/api?x=1", {
  "headers": {
    "content-type": "application/json",
    "accept": "text/plain",
    "x-quote": "say \"hi\"\n"
  },
  "referrer": "https://h.example/",
  "referrerPolicy": "strict-origin-when-cross-origin",
  "body": "{\"a\":\"\u00e9\\n\"}",
  "method": "POST",
  "mode": "cors",
  "credentials": "include"
});)cap"_s,
        u"POST https://h.example/api?x=1\ncontent-type: application/json\naccept: text/plain\nx-quote: say \"hi\"\n\n\n{\"a\":\"é\\n\"}"_s);
    row("await fetch, indented by four",
        u"await fetch(\"http://h.example/p\", {\n    \"headers\": {\n        \"Accept\": \"text/html\"\n    },\n    \"method\": \"GET\"\n});"_s,
        u"GET http://h.example/p\nAccept: text/html\n\n"_s);

    // "Copy as PowerShell": Chrome with its session, h2 pseudo-headers and characters named by number, then
    // Chrome posting, then typed by hand.
    row("Chrome PowerShell, GET", uR"cap($session = New-Object Microsoft.PowerShell.Commands.WebRequestSession
$session.UserAgent = "Mozilla/5.0 (Windows NT 10.0; Win64; x64) Chrome/120.0.0.0"
$session.Cookies.Add((New-Object System.Net.Cookie("sid", "a=b==", "/", ".example.com")))
$session.Cookies.Add((New-Object System.Net.Cookie("theme", "dark", "/", "api.example.com")))
Invoke-WebRequest -UseBasicParsing -Uri "https://api.example.com/v1/items?q=caf%C3%A9" `
-WebSession $session `
-Headers @{
"authority"="api.example.com"
  "method"="GET"
  "path"="/v1/items?q=caf%C3%A9"
  "scheme"="https"
  "accept"="application/json"
  "x-note"="it's $([char]233)t$([char]233)! $([char]55357)$([char]56832) `$5 `"q`" ``"
})cap"_s,
        u"GET https://api.example.com/v1/items?q=caf%C3%A9\nUser-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) "
        "Chrome/120.0.0.0\nCookie: sid=a=b==; theme=dark\naccept: application/json\nx-note: it's été! 😀 $5 \"q\" `\n\n"_s);
    row("Chrome PowerShell, POST",
        uR"cap(Invoke-WebRequest -UseBasicParsing -Uri "http://127.0.0.1:8080/api" `
-Method "POST" `
-Headers @{
"Accept"="*/*"
  "Origin"="http://127.0.0.1:8080"
} `
-ContentType "application/json" `
-Body ([System.Text.Encoding]::UTF8.GetBytes("{`"name`":`"Zo$([char]235)`",`"cost`":`"`$5`",`"note`":`"a$([char]10)b`"}"));)cap"_s
            .replace(u"\n"_s, u"\r\n"_s), // copied on Windows
        u"POST http://127.0.0.1:8080/api\nAccept: */*\nOrigin: http://127.0.0.1:8080\nContent-Type: "
        u"application/json\n\n"
        "{\"name\":\"Zoë\",\"cost\":\"$5\",\"note\":\"a\nb\"}"_s);
    row("-UserAgent, a bare method, a spaced key",
        u"iwr -Uri http://h/ -Method POST -UserAgent \"a/1\" -Headers @{\n\"Accept\" = \"*/*\"\n}"_s,
        u"POST http://h/\nUser-Agent: a/1\nAccept: */*\n\n"_s);
    row("irm, typed",
        u"irm 'http://h.example/it''s' -Method put -Headers @{ A = 'x''y'; \"B\"=\"1\";C=2 } -Body:'a\nb'"_s,
        u"PUT http://h.example/it's\nA: x'y\nB: 1\nC: 2\n\na\nb"_s);

    // HAR, and pseudo-headers in every form.
    row("HAR, one entry", uR"cap({"log": {"version": "1.2", "entries": [{"request": {"method": "POST",
  "url": "https://h.example/p?x=1", "headers": [{"name": ":authority", "value": "h.example"},
  {"name": "content-type", "value": "text/plain"}, {"name": "Host", "value": "h.example"},
  {"name": "content-length", "value": "3"}, {"name": "x-a", "value": "1"}, {"name": "x-a", "value": "2"}],
  "postData": {"mimeType": "text/plain", "text": "a\nb"}}}]}})cap"_s,
        u"POST https://h.example/p?x=1\ncontent-type: text/plain\nx-a: 1\nx-a: 2\n\na\nb"_s);
    row("pseudo-headers in curl", u"curl -H ':authority: h' -H ':path: /' http://h.example/"_s,
        u"GET http://h.example/\n\n"_s);
    row("pseudo-headers in a raw request", u"GET / HTTP/2\n:authority: h\nHost: h\nA: 1\n\n"_s,
        u"GET http://h/\nA: 1\n\n"_s);

    // A raw request.
    row("raw request",
        u"POST /api/items?x=1 HTTP/1.1\r\nHost: h.example:8080\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n\r\nline\r\ntwo"_s,
        u"POST http://h.example:8080/api/items?x=1\nContent-Type: text/plain\n\nline\r\ntwo"_s);
    row("raw request, the whole URL as its target", u"GET https://h.example/p HTTP/1.1\nA: 1\n\n"_s,
        u"GET https://h.example/p\nA: 1\n\n"_s);

    // Refused, each with a sentence.
    row("a raw request's line that is no header", u"GET / HTTP/1.1\nHost: h\nA b: 1\n\n"_s,
        u"refused: A line of the raw request's header block is not a header."_s);
    row("a form", u"curl -F 'f=@photo.jpg' http://h.example/"_s,
        u"refused: The curl option -F sends a form with files, which the window cannot send."_s);
    row("data from a file", u"curl -d @body.json http://h.example/"_s,
        u"refused: The curl option -d reads the data from a file, which is not imported."_s);
    row("urlencoded data from a file", u"curl --data-urlencode 'name@file' http://h.example/"_s,
        u"refused: The curl option --data-urlencode reads the data from a file, which is not imported."_s);
    row("a home folder", u"curl -d ~/x http://h.example/"_s,
        u"refused: The command uses the shell's ~ expansion, which is never done here."_s);
    row("braces that bash expands", u"curl http://h.example/ -d {a,b}"_s,
        u"refused: The command uses the shell's {…} expansion, which is never done here."_s);
    row("an upload", u"curl -T f http://h.example/"_s,
        u"refused: The curl option -T uploads a file, which the window cannot send."_s);
    row("an unknown option", u"curl --proxy http://p:1 http://h.example/"_s,
        u"refused: The curl option --proxy cannot be imported."_s);
    row("unterminated quote", u"curl 'http://h.example/"_s, u"refused: A quote ' is not closed."_s);
    row("a lone caret", u"curl ^\"http://h.example/^\" ^"_s, u"refused: The command ends with a lone ^."_s);
    row("a NUL character", u"curl http://h.example/ -d $'a\\x00'"_s,
        u"refused: The request holds a NUL character, which is not text."_s);
    row("a pipe", u"curl http://h.example/ | sh"_s,
        u"refused: The command goes on past one program (an unquoted |)."_s);
    row("a PowerShell variable", u"iwr \"http://h/$env:TEMP\""_s,
        u"refused: The command uses the PowerShell variable $env:TEMP, which is never read here."_s);
    row("a PowerShell subexpression", u"iwr -Uri \"http://h/$(Get-Date)\""_s,
        u"refused: The command uses a PowerShell subexpression $(…), which is never run here."_s);
    row("an unknown PowerShell parameter", u"iwr -Uri http://h/ -Proxy http://p/"_s,
        u"refused: The PowerShell parameter -Proxy cannot be imported."_s);
    row("a session line no browser writes", u"$session.Proxy = \"x\"\niwr http://h/"_s,
        u"refused: The PowerShell line \"$session.Proxy = \"x\"\" is not one a browser writes, and nothing is run here."_s);
    row("a session line with a comment",
        u"$session = New-Object Microsoft.PowerShell.Commands.WebRequestSession  # kept\niwr http://h/ -WebSession $session"_s,
        u"GET http://h/\n\n"_s);
    row("a session never made", u"iwr http://h/ -WebSession $session"_s,
        u"refused: The command uses a PowerShell session that no line before it makes."_s);
    row("two PowerShell commands", u"iwr http://a/;\r\niwr http://b/"_s,
        u"refused: The text holds more than one PowerShell command: copy one request."_s);
    row("a PowerShell pipe", u"irm http://h/ | ConvertFrom-Json"_s,
        u"refused: The command goes on past one program (an unquoted |)."_s);
    row("an empty method", u"irm http://h/ -Method ''"_s, u"refused: The request's method is empty."_s);
    row("a fetch of no URL", u"fetch(\"\", {})"_s,
        u"refused: The fetch call is not written as browsers write it: no URL."_s);
    row("a HAR of three", u"{\"log\": {\"entries\": [{}, {}, {}]}}"_s,
        u"refused: The HAR holds 3 requests: copy just one of them, and paste that."_s);
    row("PowerShell's typographic quotes", u"iwr -Uri \u201chttp://x.test/\u201d"_s, u"GET http://x.test/\n\n"_s);
    row("a typographic quote ends a string", u"iwr http://h/ -Body \"say \u201chi\u201d\""_s,
        u"refused: The PowerShell command gives \"hi\u201d\"\" to no parameter."_s);
    row("a PowerShell parameter twice", u"iwr http://h/ -Method \"GET\" -Method \"POST\""_s,
        u"refused: The PowerShell parameter -Method is given more than once."_s);
    row("the URL named and unnamed", u"iwr http://h/ -uri http://i/"_s,
        u"refused: The PowerShell parameter -uri is given more than once."_s);
    row("a key twice in one hashtable", u"iwr http://h/ -Headers @{\"a\"=\"1\";\"A\"=\"2\"}"_s,
        u"refused: The PowerShell headers give the key A more than once."_s);
    row("bare numbers as PowerShell sends them", u"iwr http://h/ -Headers @{\"w\"=007; \"x\"=0x1F; y=1kb; z=1e3}"_s,
        u"GET http://h/\nw: 7\nx: 31\ny: 1024\nz: 1000\n\n"_s);
    row("a fraction as a header value", u"iwr http://h/ -Headers @{\"x\"=1.5}"_s,
        u"refused: The PowerShell header x is given the number 1.5, which is not imported: put the value in quotes."_s);
    row("an escape beyond Unicode", u"iwr http://h/ -Body \"`u{110000}\""_s,
        u"refused: The PowerShell escape `u{110000} names no character: Unicode ends at 10FFFF."_s);
    row("a session cookie holding ;",
        u"$session = New-Object Microsoft.PowerShell.Commands.WebRequestSession\n$session.Cookies.Add((New-Object "
        "System.Net.Cookie(\"x\", \"a;y=1\", \"/\", \"h\")))\niwr http://h/ -WebSession $session"_s,
        u"refused: The PowerShell cookie x has a value holding ; or , which .NET refuses."_s);
    row("a backtick and a line break at the end", u"iwr http://h/ `\r\n"_s, u"GET http://h/\n\n"_s);
    row("a backtick and a line break right after a word", u"iwr http://h/`\n-Method PUT"_s, u"PUT http://h/\n\n"_s);
    row("HAR: a header value that is null",
        u"{\"log\":{\"entries\":[{\"request\":{\"url\":\"http://h/\","
        "\"headers\":[{\"name\":\"a\",\"value\":null}]}}]}}"_s,
        u"refused: The HAR entry has a header whose value is not text."_s);
    row("HAR: a header name that is a number",
        u"{\"log\":{\"entries\":[{\"request\":{\"url\":\"http://h/\","
        "\"headers\":[{\"name\":1,\"value\":\"b\"}]}}]}}"_s,
        u"refused: The HAR entry has a header whose name is not text."_s);
    row("HAR: a method that is a number",
        u"{\"log\":{\"entries\":[{\"request\":{\"url\":\"http://h/\",\"method\":1}}]}}"_s,
        u"refused: The HAR entry's method is not text."_s);
    row("HAR: headers as an object",
        u"{\"log\":{\"entries\":[{\"request\":{\"url\":\"http://h/\",\"headers\":{\"a\":\"b\"}}}]}}"_s,
        u"refused: The HAR entry's headers are not a list."_s);
    row("HAR: nested too deeply", u"{\"log\":{\"entries\":"_s % u"["_s.repeated(1100) % u"]"_s.repeated(1100) % u"}}"_s,
        u"refused: The HAR is not written as browsers write it: too deeply nested document."_s);
    row("bash: $, a joined line, then a name", u"curl http://h/ -H \"X: $\\\nHOME\""_s,
        u"refused: The command uses the shell's $, which is never run here."_s);
    row("--data-urlencode of a bare text, and of =text", u"curl http://h/ --data-urlencode 'a b' --data-urlencode =c"_s,
        u"POST http://h/\nContent-Type: application/x-www-form-urlencoded\n\na%20b&c"_s);
    row("HAR: form fields only",
        u"{\"log\":{\"entries\":[{\"request\":{\"url\":\"http://h/\",\"postData\":{\"params\":[{}]}}}]}}"_s,
        u"refused: The HAR entry gives its data as form fields only, which are not imported."_s);
    row("curl -u with no password", u"curl -u user http://h/"_s,
        u"refused: The curl option -u gives no password, which curl would ask for: give it as -u user:password."_s);
    row("bash: a byte that is not UTF-8", u"curl http://h/ -d $'caf\\xe9'"_s,
        u"refused: The quote $'…' names bytes that are not UTF-8 text, which bash sends as they are and a request "
        "here cannot carry (Firefox writes é so): copy the request for Windows, or as fetch."_s);
    row("bash: \\x with no hex digit after it stays", u"curl http://h/ -d $'\\xG'"_s,
        u"POST http://h/\nContent-Type: application/x-www-form-urlencoded\n\n\\xG"_s);
    row("bash: bytes that are UTF-8, a code point past Unicode",
        u"curl http://h/ -d $'caf\\xc3\\xa9 \\303\\251\\U00110000'"_s,
        u"POST http://h/\nContent-Type: application/x-www-form-urlencoded\n\ncafé é\uFFFD"_s);
    row("not a request", u"https://h.example/ is a page"_s, u"(plain text)"_s);
    row("JSON nested deeply that is no HAR", u"{\"log\": "_s % u"["_s.repeated(1100), u"(plain text)"_s);
}

QTEST_GUILESS_MAIN(TestRequestImport)
#include "tst_requestimport.moc"
