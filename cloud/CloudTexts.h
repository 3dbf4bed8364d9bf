#pragma once

#include <string>

namespace cloud {

// Result codes of the envelope. 0 is success; the program shows "msg" for every other code.
enum Code : int {
    Success = 0,
    BadJson = 1000,         // body is not a JSON object (HTTP 400)
    BadMember = 1001,       // a member is missing or has the wrong type (HTTP 400)
    TooLarge = 1002,        // body over 64 KiB (HTTP 413)
    UnknownPath = 1003,     // HTTP 404
    WrongMethod = 1004,     // only POST (HTTP 405)
    InternalError = 1005,   // storage failure (HTTP 500)
    BadHttp = 1006,         // any other malformed HTTP request (HTTP 4xx)
    BadContentType = 1007,  // Content-Type other than application/json (HTTP 415)
    BadHost = 1008,         // Host header names neither the listen address nor an allowed name
                            // (HTTP 403)
    ServerBusy = 1009,      // too many password checks waiting: try again (HTTP 503)
    NotLoggedIn = 2001,
    WrongLogin = 2002,
    EmailTaken = 2003,
    BadEmail = 2004,
    BadNickname = 2005,
    BadPassword = 2006,
    PasswordMismatch = 2007,
    WrongCurrentPassword = 2008,
    EmailUnknown = 2009,
    WrongCode = 2010,
    NoValidCode = 2011,
    CodeLocked = 2012,
    BadConfigType = 2013,
    RateLimited = 2014,    // too many attempts for an address or a client: try again later
    QuotaExceeded = 2015,  // too many configuration types, or one too large, for the account
};

enum class Lang { En, Zh };

// The "lang" request header: Chinese for values starting with "zh", English otherwise.
Lang langFromHeader(const std::string& header);
// The message of a code in the given language; for BadMember, member names the member, for
// RateLimited it is the number of seconds to wait.
std::string message(int code, Lang lang, const std::string& member = std::string());

}  // namespace cloud
