import QtQuick 2.15

// Input pattern of the password fields: digits, ASCII letters and the 30 special characters
// - ` = \ ; ' , . / ~ ! @ # $ % ^ & * ( ) _ + | { } : " < > ?, containing a run of digits, a run
// of letters and a run of special characters directly one after another, in any order. While
// typing, only the character set is enforced (anything in it can still grow into a match).
RegularExpressionValidator {
    regularExpression: /^[-`=\\;',.\/~!@#$%^&*()_+|{}:"<>?0-9A-Za-z]*(?:[0-9]+[A-Za-z]+[-`=\\;',.\/~!@#$%^&*()_+|{}:"<>?]+|[0-9]+[-`=\\;',.\/~!@#$%^&*()_+|{}:"<>?]+[A-Za-z]+|[A-Za-z]+[0-9]+[-`=\\;',.\/~!@#$%^&*()_+|{}:"<>?]+|[A-Za-z]+[-`=\\;',.\/~!@#$%^&*()_+|{}:"<>?]+[0-9]+|[-`=\\;',.\/~!@#$%^&*()_+|{}:"<>?]+[0-9]+[A-Za-z]+|[-`=\\;',.\/~!@#$%^&*()_+|{}:"<>?]+[A-Za-z]+[0-9]+)[-`=\\;',.\/~!@#$%^&*()_+|{}:"<>?0-9A-Za-z]*$/
}
