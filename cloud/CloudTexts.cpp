#include "CloudTexts.h"

#include <algorithm>
#include <cstdlib>

namespace cloud {

Lang langFromHeader(const std::string& header) {
    return header.size() >= 2 && (header[0] == 'z' || header[0] == 'Z') &&
                   (header[1] == 'h' || header[1] == 'H')
               ? Lang::Zh
               : Lang::En;
}

namespace {

struct Text {
    int code;
    const char* en;
    const char* zh;
};

const Text kTexts[] = {
    {Success, "Success", "操作成功"},
    {BadJson, "The request body is not a valid JSON object", "请求内容不是有效的 JSON 对象"},
    {TooLarge, "The request body is larger than 64 KiB", "请求内容超过 64 KiB"},
    {UnknownPath, "Unknown address", "请求的地址不存在"},
    {WrongMethod, "Only POST requests are accepted here", "此地址只接受 POST 请求"},
    {InternalError, "The service had an internal error, please try again later",
     "服务内部错误，请稍后重试"},
    {BadHttp, "Malformed HTTP request", "HTTP 请求格式错误"},
    {BadContentType, "The request must be sent with Content-Type application/json",
     "请求的 Content-Type 必须是 application/json"},
    {BadHost, "This service does not answer requests addressed to this host name",
     "本服务不接受发往该主机名的请求"},
    {ServerBusy, "The service is busy, please try again in a moment", "服务繁忙，请稍后重试"},
    {NotLoggedIn, "Please log in first (the session is missing or has expired)",
     "请先登录（登录状态不存在或已过期）"},
    {WrongLogin, "Wrong e-mail address or password", "邮箱或密码错误"},
    {EmailTaken, "This e-mail address is already registered", "该邮箱已被注册"},
    {BadEmail, "Invalid e-mail address", "邮箱格式不正确"},
    {BadNickname, "The nickname must have 1 to 32 characters", "昵称长度须为 1 到 32 个字符"},
    {BadPassword, "The password must have 6 to 64 characters and no control characters",
     "密码长度须为 6 到 64 个字符，且不能包含控制字符"},
    {PasswordMismatch, "The two passwords do not match", "两次输入的密码不一致"},
    {WrongCurrentPassword, "The current password is wrong", "当前密码错误"},
    {EmailUnknown, "This e-mail address is not registered", "该邮箱尚未注册"},
    {WrongCode, "Wrong verification code", "验证码错误"},
    {NoValidCode, "No valid verification code, please request a new one",
     "验证码无效或已过期，请重新获取"},
    {CodeLocked, "Too many wrong attempts, please request a new verification code",
     "验证码错误次数过多，请重新获取"},
    {BadConfigType, "Invalid configuration type", "配置类型无效"},
    {QuotaExceeded,
     "Cloud storage quota exceeded: too many configuration types, or the configuration is too "
     "large",
     "超出云端存储配额：配置类型过多或配置内容过大"},
};

}  // namespace

std::string message(int code, Lang lang, const std::string& member) {
    if (code == BadMember) {
        return lang == Lang::Zh ? "缺少参数 \"" + member + "\" 或其类型不是字符串"
                                : "Member \"" + member + "\" is missing or is not a string";
    }
    if (code == RateLimited) {
        const long long seconds = std::max(1LL, std::atoll(member.c_str()));
        const std::string minutes = std::to_string((seconds + 59) / 60);
        return lang == Lang::Zh ? "尝试次数过多，请在 " + minutes + " 分钟后重试"
                                : "Too many attempts, please try again in " + minutes +
                                      (minutes == "1" ? " minute" : " minutes");
    }
    for (const Text& text : kTexts) {
        if (text.code == code)
            return lang == Lang::Zh ? text.zh : text.en;
    }
    return lang == Lang::Zh ? "未知错误" : "Unknown error";
}

}  // namespace cloud
