#include "report/reportpage.h"
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

std::string html(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
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

// A JSON string (as JavaScript reads it inside a script element).
std::string js(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '<') {
            out += "\\u003c";
            continue;
        }
        if ((unsigned char)c < 0x20) continue;
        out += c;
    }
    return out + "\"";
}

std::string num(double v, int decimals = 2) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

// The licence inside a script comment: no "*/" to end it early.
std::string commented(std::string text) {
    for (size_t p = text.find("*/"); p != std::string::npos; p = text.find("*/", p))
        text.replace(p, 2, "* /");
    return text;
}

} // namespace

std::string reportPage(const UsageReport& r, const std::string& chartLibrary,
                       const std::string& licence, const std::string& sources) {
    // Totals, per day and per user.
    DayFigures all;
    std::map<std::string, DayFigures> byDay, byUser;
    for (const auto& u : r.perUserDay()) {
        DayFigures& user = byUser[u.first];
        for (const auto& d : u.second) {
            for (DayFigures* t : {&all, &byDay[dayName(d.first)], &user})
                *t += d.second;
        }
    }

    std::string days, activeH, idleH, freedH, peakDays, peakN;
    for (const auto& d : byDay) {
        days += (days.empty() ? "" : ",") + js(d.first);
        activeH += (activeH.empty() ? "" : ",") + num(d.second.secondsActive() / 3600);
        idleH += (idleH.empty() ? "" : ",") + num(d.second.secondsIdle / 3600);
        freedH += (freedH.empty() ? "" : ",") + num(d.second.secondsFreed / 3600);
    }
    for (const auto& p : r.peakSessions()) {
        peakDays += (peakDays.empty() ? "" : ",") + js(p.first);
        peakN += (peakN.empty() ? "" : ",") + std::to_string(p.second);
    }
    std::vector<std::pair<double, std::string>> idlest;
    for (const auto& u : byUser)
        idlest.push_back({u.second.secondsIdle, u.first});
    std::sort(idlest.begin(), idlest.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    if (idlest.size() > 10) idlest.resize(10);
    std::string idleUsers, idleUserH;
    for (const auto& u : idlest) {
        idleUsers += (idleUsers.empty() ? "" : ",") + js(u.second);
        idleUserH += (idleUserH.empty() ? "" : ",") + num(u.first / 3600);
    }
    std::string whatLabels, whatCloses, whatHours, whatRows, inForce;
    for (const WhatIfRow& w : r.whatIf()) {
        const std::string m = std::to_string(w.minutes);
        auto sessions = [](int n) {
            return std::to_string(n) + (n == 1 ? " session" : " sessions");
        };
        std::string force;
        if (w.seatsLive) force = "in force (" + sessions(w.seatsLive) + ")";
        if (w.seatsTrial)
            force += (force.empty() ? "" : ", ") + std::string("trial run (") +
                     sessions(w.seatsTrial) + ")";
        if (!force.empty()) inForce += (inForce.empty() ? "" : ", ") + m + " min";
        whatLabels +=
            (whatLabels.empty() ? "" : ",") + js(m + " min" + (w.seatsLive ? " (in force)" : ""));
        whatCloses += (whatCloses.empty() ? "" : ",") + std::to_string(w.closes);
        whatHours += (whatHours.empty() ? "" : ",") + num(w.secondsFreed / 3600);
        auto cell = [&](const char* id, const std::string& v) {
            return "<td id=\"whatif-" + std::string(id) + "-" + m + "\">" + v + "</td>";
        };
        whatRows += std::string("<tr") + (force.empty() ? "" : " class=\"in-force\"") + "><td>" +
                    m + " min</td>" + cell("closes", std::to_string(w.closes)) +
                    cell("hours", num(w.secondsFreed / 3600)) +
                    cell("working", num(w.secondsFreedWorking / 3600)) +
                    cell("back", std::to_string(w.backWithin10)) + cell("force", force) + "</tr>\n";
    }
    double heatMax = 0;
    for (const auto& row : r.heat())
        for (double v : row)
            heatMax = std::max(heatMax, v);
    static const char* const weekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    std::string heat = "<tr><th></th>";
    for (int h = 0; h < 24; ++h)
        heat += "<th>" + std::to_string(h) + "</th>";
    heat += "</tr>\n";
    for (int d = 0; d < 7; ++d) {
        heat += "<tr><th>" + std::string(weekdays[d]) + "</th>";
        for (int h = 0; h < 24; ++h) {
            const double v = r.heat()[(size_t)d][(size_t)h];
            const int shade = heatMax > 0 ? (int)(v / heatMax * 200) : 0;
            heat += "<td style=\"background:rgb(" + std::to_string(255 - shade) + "," +
                    std::to_string(255 - shade / 2) + ",255)\" title=\"" + num(v) +
                    " session-hours\">" + (v > 0 ? num(v, 1) : "") + "</td>";
        }
        heat += "</tr>\n";
    }
    std::string userRows;
    for (const auto& u : byUser) {
        const DayFigures& f = u.second;
        userRows += "<tr><td>" + html(u.first) + "</td><td>" + std::to_string(f.sessions) +
                    "</td><td>" + num(f.secondsOpen / 3600) + "</td><td>" +
                    num(f.secondsActive() / 3600) + "</td><td>" + num(f.secondsIdle / 3600) +
                    "</td><td>" + num(f.secondsFreed / 3600) + "</td><td>" +
                    std::to_string(f.closes) + "</td><td>" + std::to_string(f.countdownsCancelled) +
                    "</td><td>" + std::to_string(f.keptOpen) + "</td><td>" +
                    num(f.secondsKept / 3600) + "</td></tr>\n";
    }
    std::string computerRows;
    for (const auto& c : r.perComputer()) {
        const DayFigures& f = c.second;
        computerRows += "<tr><td>" + html(c.first) + "</td><td>" + std::to_string(f.sessions) +
                        "</td><td>" + num(f.secondsOpen / 3600) + "</td><td>" +
                        num(f.secondsIdle / 3600) + "</td><td>" + num(f.secondsFreed / 3600) +
                        "</td><td>" + std::to_string(f.closes) + "</td></tr>\n";
    }
    auto figure = [](const char* id, const char* label, const std::string& value) {
        return std::string("<div class=\"fig\"><span class=\"v\" id=\"fig-") + id + "\">" + value +
               "</span><span class=\"l\">" + label + "</span></div>\n";
    };
    std::string figures =
        figure("seats", "seats", std::to_string(r.perComputer().size())) +
        figure("users", "users", std::to_string(byUser.size())) +
        figure("sessions", "sessions", std::to_string(all.sessions)) +
        figure("open", "hours open", num(all.secondsOpen / 3600)) +
        figure("active", "active hours", num(all.secondsActive() / 3600)) +
        figure("idle", "idle hours", num(all.secondsIdle / 3600)) +
        figure("freed", "hours freed", num(all.secondsFreed / 3600)) +
        figure("freed-working", "hours freed in working hours",
               num(r.secondsFreedWorking() / 3600)) +
        figure("closes", "closes by Tarnel", std::to_string(all.closes)) +
        figure("saved", "drawings saved", std::to_string(all.saved)) +
        figure("discarded", "drawings discarded", std::to_string(all.discarded)) +
        figure("rescued", "drawings rescued", std::to_string(all.rescued)) +
        figure("waiting", "commands or dialogs cancelled", std::to_string(all.waitingCancelled)) +
        figure("countdowns", "countdowns cancelled by users",
               std::to_string(all.countdownsCancelled)) +
        figure("kept", "kept open while licences were free", std::to_string(all.keptOpen)) +
        figure("kept-hours", "idle hours kept open while licences were free",
               num(all.secondsKept / 3600));

    std::string page;
    page += "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n"
            "<title>Tarnel usage report</title>\n<style>\n"
            "body{font-family:sans-serif;margin:24px;color:#222;max-width:1100px}\n"
            ".fig{display:inline-block;margin:6px 18px 6px 0;min-width:120px}\n"
            ".fig .v{display:block;font-size:24px;font-weight:bold}\n"
            ".fig .l{font-size:12px;color:#555}\n"
            "table{border-collapse:collapse;margin:8px 0}td,th{border:1px solid #ccc;"
            "padding:3px 6px;font-size:12px;text-align:right}\n"
            "tr.in-force td{background:#fff3c4;font-weight:bold}\n"
            ".chart{width:1000px;height:300px}\n</style>\n</head><body>\n";
    const ReportOptions& o = r.options();
    const std::string period =
        (o.from.empty() ? r.firstDay() : o.from) + " to " + (o.to.empty() ? r.lastDay() : o.to);
    const std::string hours =
        std::to_string(o.workFrom) + ":00 to " + std::to_string(o.workTo) + ":00, Monday to Friday";
    page += "<h1>Tarnel usage report</h1>\n<p>Period <span id=\"period\">" + html(period) +
            "</span> (each seat's local days). From " + html(sources) + ". " +
            "<span id=\"lines-read\">" + std::to_string(r.linesRead()) +
            "</span> journal lines read, <span id=\"lines-skipped\">" +
            std::to_string(r.linesSkipped()) +
            "</span> skipped because they could not be read (a torn line, NUL bytes, a date "
            "outside 2000-2100, a file of another format), <span id=\"lines-repeated\">" +
            std::to_string(r.linesRepeated()) +
            "</span> counted once though given more than once, <span id=\"lines-future\">" +
            std::to_string(r.linesFuture()) +
            "</span> left out as dated after this report was made (a seat's clock ahead), "
            "<span id=\"lines-cut\">" + std::to_string(r.linesCut()) +
            "</span> lines' lengths cut to their session, <span id=\"clock-changes\">" +
            std::to_string(r.clockChanges()) +
            "</span> sessions moved whole where their clock jumped.</p>\n";
    page += figures;
    page += "<h2>Which timeout?</h2>\n<p>Each row is what Tarnel would have done over this "
            "period had every seat closed after that many quiet minutes: a close for every "
            "absence at least that long, the seat-hours it would have freed until the user "
            "came back, and the closes that would have met a user coming back within ten "
            "minutes. <span id=\"whatif-pool\">These closes count absences alone: they do not "
            "know the licence pool, so a seat that asks the licence server would have stayed "
            "open through some of them while licences were free (kept open " +
            std::to_string(all.keptOpen) + " times, " + num(all.secondsKept / 3600) +
            " idle hours, above).</span> Timeout in force: <span id=\"in-force\">" +
            html(inForce.empty() ? std::string("not known (no start line)") : inForce) +
            "</span>.</p>\n<table id=\"whatif\"><tr><th>timeout</th><th>closes</th>"
            "<th>seat-hours freed</th><th>in working hours</th><th>user back within 10 min</th>"
            "<th></th></tr>\n" +
            whatRows +
            "</table>\n<div class=\"chart\"><canvas id=\"chart-whatif\"></canvas></div>\n";
    page +=
        "<h2>Hours per day</h2><div class=\"chart\"><canvas id=\"chart-days\"></canvas></div>\n"
        "<h2>Most sessions open at once, per day</h2><div class=\"chart\"><canvas "
        "id=\"chart-peak\"></canvas></div>\n"
        "<h2>Open sessions by hour and weekday (session-hours)</h2><table id=\"heat\">\n" +
        heat +
        "</table>\n"
        "<h2>Users who held seats idle longest</h2><div class=\"chart\"><canvas "
        "id=\"chart-idle-users\"></canvas></div>\n"
        "<h2>Per user</h2><table id=\"users\"><tr><th>user</th><th>sessions</th>"
        "<th>hours open</th><th>active</th><th>idle</th><th>freed</th><th>closes</th>"
        "<th>countdowns cancelled</th><th>kept open while licences were free</th>"
        "<th>hours kept open</th></tr>\n" +
        userRows +
        "</table>\n<h2>Per computer</h2><table id=\"computers\"><tr><th>computer</th>"
        "<th>sessions</th><th>hours open</th><th>idle</th><th>freed</th><th>closes</th></tr>\n" +
        computerRows + "</table>\n";
    page +=
        "<h2>How each figure is defined</h2><ul>\n"
        "<li><b>Days</b> are each seat's clock days: hours are split at its midnight (and at "
        "each hour for the heat map); the period's first and last day cut sessions, stretches "
        "and absences there.</li>\n"
        "<li><b>Session</b>: one AutoCAD start on one computer, from its <code>start</code> line "
        "to its <code>end</code> line (or its last line when it has none). It counts on the day "
        "it started; its hours on the days they fell on.</li>\n"
        "<li><b>Hours open</b>: the sessions' lengths. <b>Idle hours</b>: quiet stretches of a "
        "minute or more (<code>quiet</code>) and the stretches that ended in a close "
        "(<code>expired</code>). <b>Active hours</b>: hours open less idle hours.</li>\n"
        "<li><b>Hours freed</b>: from each close by Tarnel to the same user's next start on that "
        "computer, or the end of the period; <b>in working hours</b>: the part of them from " +
        html(hours) +
        ".</li>\n"
        "<li><b>Closes by Tarnel</b>: sessions Tarnel ended (<code>host-closed</code>); drawings "
        "saved, discarded and rescued are its <code>closed</code> and <code>rescued</code> "
        "lines.</li>\n"
        "<li><b>Most sessions open at once</b>: the largest number of sessions open at the same "
        "moment of that day, over every computer, a session open since the day before "
        "included.</li>\n"
        "<li><b>Absence</b>: a quiet stretch from a user's last activity to the next activity or "
        "start of that user on that computer, or the end of the period. A close by Tarnel does "
        "not end it, the user's return does.</li>\n"
        "<li><b>Which timeout?</b>: for a timeout T, a close for every absence of length L at "
        "least T, freeing L less T seat-hours; a close the user came back from within 10 "
        "minutes is an absence between T and T + 10 minutes. Seats in a trial run "
        "(<code>DryRun</code>) and live seats count alike.</li>\n"
        "<li><b>Kept open while licences were free</b>: quiet stretches a seat that asks the "
        "licence server (<code>LicenseServer</code>) stayed open through because enough "
        "licences were free (<code>kept</code>, <code>would-keep</code> in a trial run), counted "
        "on the day of the first such answer; its <b>hours</b> are the idle hours from that "
        "answer to the stretch's end.</li>\n</ul>\n";
    page += "<script>/*\n" + commented(licence) + "\n*/\n" + chartLibrary + "\n</script>\n";
    page += "<script>\nChart.defaults.animation = false;\n"
            "function bars(id, labels, sets, stacked, horizontal) {\n"
            "  new Chart(document.getElementById(id), {type: 'bar', data: {labels: labels, "
            "datasets: sets},\n"
            "    options: {maintainAspectRatio: false, indexAxis: horizontal ? 'y' : 'x',\n"
            "      scales: {x: {stacked: stacked}, y: {stacked: stacked, beginAtZero: true}}}});\n"
            "}\n"
            "bars('chart-days', [" +
            days + "], [{label: 'active', data: [" + activeH +
            "], backgroundColor: '#3b7dd8'},\n"
            "  {label: 'idle', data: [" +
            idleH + "], backgroundColor: '#e0a030'}, {label: 'freed', data: [" + freedH +
            "], backgroundColor: '#48a860'}], true, false);\n"
            "bars('chart-peak', [" +
            peakDays + "], [{label: 'sessions at once', data: [" + peakN +
            "], backgroundColor: '#7a5bd0'}], false, false);\n"
            "bars('chart-idle-users', [" +
            idleUsers + "], [{label: 'idle hours', data: [" + idleUserH +
            "], backgroundColor: '#e0a030'}], false, true);\n"
            "bars('chart-whatif', [" +
            whatLabels + "], [{label: 'closes', data: [" + whatCloses +
            "], backgroundColor: '#d04848'}, {label: 'seat-hours freed', data: [" + whatHours +
            "], backgroundColor: '#48a860'}], false, false);\n</script>\n</body></html>\n";
    return page;
}
