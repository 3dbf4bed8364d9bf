import QtQuick 2.15

// Input pattern of the e-mail fields: a local part of letters, digits and the other characters
// mail allows unquoted (such as the apostrophe of o'neil@example.com, or "+"), in dot-separated
// groups; "@"; dot-separated labels of letters, digits, "-" and "_"; and a top-level domain of
// two or more letters. "/" is left out: the service files mail under the address. Every
// repetition is bounded by a separator, so the pattern never backtracks far, and an unfinished
// address can always be typed on.
RegularExpressionValidator {
    regularExpression: /^[A-Za-z0-9!#$%&'*+=?^_`{|}~-]+(\.[A-Za-z0-9!#$%&'*+=?^_`{|}~-]+)*@[A-Za-z0-9_-]+(\.[A-Za-z0-9_-]+)*\.[A-Za-z]{2,}$/
}
