#include "remote/core/http.h"

#include "remote/core/secret.h"

namespace luckdial::remote {

const char* reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 413:
        return "Content Too Large";
    case 414:
        return "URI Too Long";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 501:
        return "Not Implemented";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Error";
    }
}

std::string responseBytes(int status, std::string_view contentType, std::string_view body,
                          bool headOnly, std::string_view host) {
    std::string connect = "'self'";
    if (!host.empty()) connect += " ws://" + std::string(host);
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + reasonPhrase(status) + "\r\n";
    out += "Content-Type: " + std::string(contentType) + "\r\n";
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    out += "Cache-Control: no-store\r\n";
    out += "X-Frame-Options: DENY\r\n";
    out += "Content-Security-Policy: default-src 'none'; script-src 'self'; style-src 'self'; "
           "img-src 'self'; connect-src " +
           connect + "; base-uri 'none'; form-action 'none'; frame-ancestors 'none'\r\n";
    out += "X-Content-Type-Options: nosniff\r\n";
    out += "Referrer-Policy: no-referrer\r\n";
    out += "Cross-Origin-Resource-Policy: same-origin\r\n";
    out += "Connection: close\r\n\r\n";
    if (!headOnly) out += body;
    return out;
}

std::string refusalBytes(int status) {
    return responseBytes(status, "text/plain; charset=utf-8",
                         std::to_string(status) + " " + reasonPhrase(status) + "\n", false, {});
}

HttpAnswer answerRequest(const RequestHead& head, std::string_view address, std::uint64_t nowMs,
                         Session& session) {
    HttpAnswer a;
    a.contentType = "text/plain; charset=utf-8";
    const auto plain = [&](int status) {
        a.status = status;
        a.body = std::to_string(status) + " " + reasonPhrase(status) + "\n";
        return a;
    };
    if (head.webSocket) {
        if (head.path != "/ws") return plain(404);
        // A page of another site may open a WebSocket here too: only our own
        // page's origin (or a client that sends none) is let through.
        if (!head.origin.empty() && head.origin != "http://" + head.host) return plain(403);
        a.webSocket = true;
        return a;
    }
    if (head.path == "/app.js") {
        a.contentType = "text/javascript; charset=utf-8";
        a.body = std::string(pageScript());
        return a;
    }
    if (head.path == "/app.css") {
        a.contentType = "text/css; charset=utf-8";
        a.body = std::string(pageStyle());
        return a;
    }
    if (head.path != "/") return plain(404);
    if (!session.armed()) return plain(503);
    a.contentType = "text/html; charset=utf-8";
    if (!head.key) {
        a.body = pageHtml({});
        return a;
    }
    a.presentedSecret = true;
    const ClaimResult r = session.claim(address, *head.key, nowMs);
    a.claim = r.claim;
    switch (r.claim) {
    case Claim::Granted:
        a.body = pageHtml(r.token);
        return a;
    case Claim::Throttled:
        return plain(429);
    case Claim::Off:
        return plain(503);
    case Claim::Wrong:
    case Claim::Locked:
        break;
    }
    a.status = 403;
    a.body = pageHtml({});
    return a;
}

std::string pageHtml(std::string_view token) {
    const std::string t = isTokenText(token) ? std::string(token) : std::string();
    return R"(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="t" content=")" +
           t + R"(">
<title>抽奖遥控</title><link rel="stylesheet" href="/app.css"></head>
<body>
<main id="ctl" hidden>
<div id="level" class="level">-</div>
<div id="progress" class="line"></div>
<div id="pool" class="line"></div>
<button id="press" class="big">开始</button>
<div class="row"><button id="prev">上一奖项</button><button id="next">下一奖项</button></div>
<button id="page" class="wide">下一页</button>
</main>
<main id="wait" hidden><p class="msg">请等候操作员批准</p><p class="msg">编号 <b id="code"></b></p></main>
<main id="ask" hidden><p class="msg">本设备没有控制权。<br>请让操作员在控制台上批准。</p>
<p id="reason" class="line"></p><button id="askbtn" class="wide">请求控制</button></main>
<main id="lost" hidden><p class="msg">连接中断，正在重新连接…</p></main>
<script src="/app.js"></script>
</body></html>
)";
}

std::string_view pageScript() {
    return R"JS((function () {
  'use strict';
  var meta = document.querySelector('meta[name="t"]');
  var token = (meta && meta.content) || '';
  try {
    if (token) sessionStorage.setItem('t', token);
    else token = sessionStorage.getItem('t') || '';
  } catch (e) {}
  // The secret in the address is spent: it must not stay in the history.
  if (location.search) history.replaceState(null, '', '/');
  var ws = null, asked = false, retry = null;
  function $(id) { return document.getElementById(id); }
  function show(view) {
    ['ctl', 'wait', 'ask', 'lost'].forEach(function (v) { $(v).hidden = v !== view; });
  }
  function send(text) { if (ws && ws.readyState === 1) ws.send(text); }
  function forget(reason) {
    token = ''; asked = false;
    try { sessionStorage.removeItem('t'); } catch (e) {}
    $('reason').textContent = reason || '';
    show('ask');
  }
  function render(s) {
    $('level').textContent = s.level || '-';
    $('progress').textContent = s.progress || '';
    $('pool').textContent = '奖池 ' + s.pool + ' 人';
    var b = $('press');
    b.textContent = s.running ? '停止' : (s.busy ? '请稍候' : '开始');
    b.className = 'big' + (s.running ? ' stop' : '');
    show('ctl');
  }
  function connect() {
    if (ws) return;
    ws = new WebSocket('ws://' + location.host + '/ws');
    ws.onopen = function () { send(token ? 'hello ' + token : 'ask'); };
    ws.onmessage = function (ev) {
      var m; try { m = JSON.parse(ev.data); } catch (e) { return; }
      if (m.role === 'controller') {
        if (m.token) { token = m.token; try { sessionStorage.setItem('t', token); } catch (e) {} }
        if (m.level !== undefined) render(m);
      } else if (m.role === 'waiting') {
        $('code').textContent = m.code; show('wait');
      } else if (m.role === 'ask') {
        forget(m.reason);
      }
    };
    ws.onclose = function () {
      ws = null;
      if (token || asked) { show('lost'); clearTimeout(retry); retry = setTimeout(connect, 2000); }
    };
  }
  function command(verb) { return function () { if (token) send(verb + ' ' + token); }; }
  $('press').onclick = command('press');
  $('prev').onclick = command('prev');
  $('next').onclick = command('next');
  $('page').onclick = command('page');
  $('askbtn').onclick = function () { asked = true; connect(); };
  setInterval(function () { send(token ? 'ping ' + token : 'ping'); }, 15000);
  if (token) { show('lost'); connect(); } else forget('');
})();
)JS";
}

std::string_view pageStyle() {
    return R"CSS(html, body { margin: 0; background: #000; color: #fff;
  font-family: sans-serif; -webkit-text-size-adjust: 100%; }
main { padding: 4vw; text-align: center; }
.level { font-size: 13vw; font-weight: bold; color: #ffe000; margin: 2vh 0; }
.line { font-size: 6vw; margin: 1vh 0; }
.msg { font-size: 8vw; font-weight: bold; line-height: 1.4; }
button { font: inherit; font-weight: bold; border: 0.6vw solid #fff; border-radius: 3vw;
  background: #ffe000; color: #000; }
.big { width: 100%; height: 28vh; font-size: 16vw; margin: 3vh 0; }
.big.stop { background: #ff3030; color: #fff; }
.row { display: flex; gap: 4vw; }
.row button { flex: 1; height: 13vh; font-size: 7vw; background: #fff; }
.wide { width: 100%; height: 12vh; font-size: 7vw; margin-top: 3vh; background: #fff; }
[hidden] { display: none !important; }
)CSS";
}

} // namespace luckdial::remote
