#include "refhost/runner/html_report.h"

#include <algorithm>

#include "refhost/runner/runner_text.h"

namespace refhost {
namespace {

std::string Html(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Base64(const std::vector<std::uint8_t>& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::uint32_t n = static_cast<std::uint32_t>(bytes[i]) << 16 |
                            (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                            (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    out += kDigits[n >> 18 & 63];
    out += kDigits[n >> 12 & 63];
    out += i + 1 < bytes.size() ? kDigits[n >> 6 & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

std::string Size(const RgbImage& image) {
  return std::to_string(image.width) + " \xC3\x97 " + std::to_string(image.height);  // U+00D7
}

// One picture in its frame, or what stands in for it.
std::string Figure(const RgbImage& image, const std::string& caption, std::size_t* pictureBytes) {
  std::string body;
  std::vector<std::uint8_t> png;
  if (image.width == 0) {
    body = "<div class=\"none\">none</div>";
  } else if (!EncodePng(image, &png) || png.size() > *pictureBytes) {
    body = "<div class=\"none\">not shown: the page holds as many pictures as it may</div>";
  } else {
    *pictureBytes -= png.size();
    const int scale = PageEnlargement(image.width, image.height);
    body = "<img class=\"px\" alt=\"" + Html(caption) + "\" width=\"" +
           std::to_string(image.width * scale) + "\" height=\"" +
           std::to_string(image.height * scale) + "\" src=\"data:image/png;base64," + Base64(png) +
           "\">";
  }
  return "<figure>" + body + "<figcaption>" + Html(caption) + "</figcaption></figure>";
}

std::string Pictures(const ImageCheck& check, std::size_t* pictureBytes) {
  std::string differences = "differences";
  if (check.diff.width != 0) {
    differences += check.differing == 0
                       ? ": none"
                       : ": " + Plural(check.differing, "pixel") + " within (" +
                             std::to_string(check.left) + ", " + std::to_string(check.top) +
                             ") to (" + std::to_string(check.right) + ", " +
                             std::to_string(check.bottom) + "), in magenta";
  }
  return "<div class=\"pictures\">" +
         Figure(check.actual, "the image, " + Size(check.actual), pictureBytes) +
         Figure(check.wanted,
                "the golden file" +
                    (check.wanted.width != 0 ? ", " + Size(check.wanted) : std::string()),
                pictureBytes) +
         Figure(check.diff, differences, pictureBytes) + "</div>";
}

const char* StatusClass(LineStatus status) {
  switch (status) {
    case LineStatus::kOk:
      return "ok";
    case LineStatus::kFailed:
      return "failed";
    case LineStatus::kRan:
      break;
  }
  return "ran";
}

std::string Row(const char* kind, const std::string& number, const std::string& code,
                const std::string& said) {
  return std::string("<tr class=\"") + kind + "\"><td class=\"n\">" + number + "</td><td><code>" +
         code + "</code></td><td>" + said + "</td></tr>\n";
}

std::string LineRow(const LineReport& line, bool inLoop, std::size_t* pictureBytes) {
  const std::string code = Html(std::string(2 * line.depth, ' ') + line.source);
  std::string said = Html(inLoop ? LoopSummary(line) : line.said);
  if (!inLoop && line.showsHostCalls)
    said += " <span class=\"calls\">[" + Plural(line.hostCalls, "host call") + "]</span>";
  if (!line.where.empty()) said = "<span class=\"where\">" + Html(line.where) + "</span> " + said;
  for (const std::string& detail : line.details)
    said += "<div class=\"detail\">" + Html(detail) + "</div>";
  const char* kind = inLoop ? (line.failed > 0 ? "failed"
                               : line.held > 0 ? "ok"
                                               : "ran")
                            : StatusClass(line.status);
  std::string rows = Row(kind, std::to_string(line.number), code, said);
  if (line.image) {
    rows += std::string("<tr class=\"") + kind + " shown\"><td></td><td colspan=\"2\">" +
            Pictures(*line.image, pictureBytes) + "</td></tr>\n";
  }
  return rows;
}

std::string Id(std::size_t index) {
  return "script-" + std::to_string(index + 1);
}

const char kStyle[] =
    "body{font:15px/1.4 sans-serif;margin:1.5em;color:#222}"
    "h1{font-size:1.5em}h2{font-size:1.15em;margin:0}"
    "section{border:1px solid #ccc;border-left:6px solid #3a3;margin:1em 0;padding:.6em 1em}"
    "section.failed{border-left-color:#c22}"
    ".verdict{font-weight:bold}.failed .verdict,tr.failed td{color:#b00}"
    "table{border-collapse:collapse}td{padding:2px 8px;vertical-align:top}"
    "table.lines td.n{color:#888;text-align:right}"
    "code,pre,samp{font-family:monospace;white-space:pre}"
    // What a line said wraps, long paths too, so that the table keeps to
    // the page's width; the script's own code and the transcript do not.
    "td samp{white-space:pre-wrap;overflow-wrap:anywhere}"
    "tr.failed{background:#fee}tr.ok td:last-child{color:#272}"
    ".detail{font-family:monospace;color:#555;overflow-wrap:anywhere}"
    ".calls,.where{color:#777}table.lines td:last-child{overflow-wrap:anywhere}"
    ".pictures{display:flex;flex-wrap:wrap;gap:16px;margin:6px 0;overflow:auto}"
    "figure{margin:0}figcaption{font-size:.85em;color:#444;max-width:32em}"
    "img.px{image-rendering:pixelated;image-rendering:crisp-edges;"
    "border:1px solid #999;background:#fff}"
    ".none{width:128px;height:64px;border:1px dashed #999;color:#777;font-size:.85em;"
    "display:flex;align-items:center;justify-content:center;text-align:center}"
    "pre{background:#f6f6f6;padding:.5em;overflow:auto}";

}  // namespace

int PageEnlargement(int width, int height) {
  const int longer = std::max({width, height, 1});
  return std::clamp((256 + longer - 1) / longer, 1, 16);
}

std::string HtmlSection(const ScriptResult& result, const std::vector<RecordEntry>& entries,
                        std::size_t* pictureBytes) {
  std::string rows;
  for (const RecordEntry& entry : entries) {
    switch (entry.kind) {
      case RecordEntry::Kind::kText:
        rows += Row("text", "", "", "<samp>" + Html(entry.text) + "</samp>");
        break;
      case RecordEntry::Kind::kLine:
        rows += LineRow(entry.line, false, pictureBytes);
        break;
      case RecordEntry::Kind::kLoopLine:
        rows += LineRow(entry.line, true, pictureBytes);
        break;
      case RecordEntry::Kind::kStopped:
      case RecordEntry::Kind::kRefused:
        rows += Row("failed", "", "", Html(entry.text));
        break;
    }
  }
  const bool ok = result.status == kRunPassed;
  return std::string("<h2><span class=\"verdict\">") + (ok ? "ok" : "FAILED") + "</span> " +
         Html(result.script.name) + "</h2>\n<p>" + Html(OutcomeText(result)) + "</p>\n" +
         (rows.empty() ? "" : "<table class=\"lines\">\n" + rows + "</table>\n") + "<details" +
         (ok ? "" : " open") + "><summary>transcript</summary><pre>" + Html(result.transcript) +
         "</pre></details>\n";
}

std::string HtmlPage(const std::vector<ScriptResult>& results) {
  std::size_t passed = 0;
  for (const ScriptResult& r : results) passed += r.status == kRunPassed;
  const std::string counts =
      std::to_string(passed) + " passed, " + std::to_string(results.size() - passed) + " failed";
  std::string table, sections;
  // Failed scripts first, then those that passed, each in the suite's order.
  for (const bool failed : {true, false}) {
    for (std::size_t i = 0; i < results.size(); ++i) {
      const ScriptResult& r = results[i];
      if ((r.status != kRunPassed) != failed) continue;
      const char* verdict = failed ? "FAILED" : "ok";
      table += std::string("<tr class=\"") + (failed ? "failed" : "ok") +
               "\"><td class=\"verdict\">" + verdict + "</td><td><a href=\"#" + Id(i) + "\">" +
               Html(r.script.name) + "</a></td><td>" + Html(OutcomeText(r)) + "</td></tr>\n";
      sections += std::string("<section class=\"script ") + (failed ? "failed" : "ok") +
                  "\" id=\"" + Id(i) + "\">\n" + r.html + "</section>\n";
    }
  }
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
         "img-src data:; style-src 'unsafe-inline'\">\n<title>mbc_runner: " +
         counts + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<h1>" + counts +
         "</h1>\n<table class=\"summary\">\n" + table + "</table>\n" + sections +
         "</body>\n</html>\n";
}

}  // namespace refhost
