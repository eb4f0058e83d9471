#pragma once
// What the browser control loads for the text it is given: "a URL or a file
// path", as a person types it.

#include <QString>
#include <QUrl>

namespace quillory {

// A text that names an existing file (relative to the working folder, or
// absolute) is that file. A text with a scheme is taken as it is. Anything
// else is a web address loaded over HTTP: "www.example.com",
// "127.0.0.1:8080/home.html", and "intranet:8080/welcome", where what looks
// like a scheme is a host, since digits (a port) follow its colon.
QUrl AddressUrl(const QString& text);

}  // namespace quillory
