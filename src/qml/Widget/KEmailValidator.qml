import QtQuick 2.15

// Input pattern of the e-mail fields: letter-digit groups, each pair optionally separated by one
// "_", "|" or ".", then "@", such groups again, "." and a top-level domain of two or three
// letters. Written without nested repetition, which accepts exactly the same texts as the form
// "^([a-zA-Z0-9]+[_|\_|\.]?)*[a-zA-Z0-9]+@..." but does not give up (and so refuse every
// keystroke) on long unfinished input.
RegularExpressionValidator {
    regularExpression: /^[a-zA-Z0-9]+([_|.][a-zA-Z0-9]+)*@[a-zA-Z0-9]+([_|.][a-zA-Z0-9]+)*\.[a-zA-Z]{2,3}$/
}
