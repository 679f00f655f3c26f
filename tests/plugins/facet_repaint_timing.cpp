// Times repaints of a real LCD panel with the clock's settings as LED segments and with the
// Facet style active (default face), in alternating rounds so that a change of the machine's
// load falls on both alike, and prints both and their ratio.
//
//     wine facet_repaint_timing.exe [repaints]     (default 5000)

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>

#include "display/lcd_panel.h"
#include "facet_plugin.h"
#include "tests/plugins/fake_host.h"

namespace {

using namespace zt;

// Milliseconds for count repaints (WM_PAINT through RedrawWindow), the text changing every
// time as the clock's does; -1 when a repaint did not happen.
double TimeRepaints(TztLCDPanel& panel, int count) {
    const unsigned before = panel.PaintCount();
    LARGE_INTEGER frequency{}, start{}, end{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    for (int i = 0; i < count; ++i) {
        wchar_t text[16];
        std::swprintf(text, 16, L"%02d:%02d:%02d", i / 3600 % 24, i / 60 % 60, i % 60);
        panel.SetCaption(text);
        ::RedrawWindow(panel.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    ::QueryPerformanceCounter(&end);
    if (panel.PaintCount() - before != static_cast<unsigned>(count))
        return -1;
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
    if (count <= 0)
        return 2;
    test::FakeZentik& host = test::FakeZentik::Get();
    ::ShowWindow(host.Window(), SW_SHOWNOACTIVATE);
    std::unique_ptr<TztLCDPanel> panel = TztLCDPanel::Create(host.Window(), 0, 0);
    if (!panel)
        return 1;
    TztLED& led = panel->GetLED();
    led.SetThickness(3);
    led.SetHorzsize(10);
    led.SetVertsize(7);
    panel->SetBorderWidth(2);
    panel->SetAutoSize(TRUE);
    host.panel = panel->Unknown();

    test::FakePluginMan manager;
    auto* plugin = new TztPlgFacet(L"Software\\Ombrelt\\ZentikTests\\FacetTiming");
    ztSetPluginObject(plugin);
    plugin->AddRef();
    if (!plugin->Initialize(&manager))
        return 1;

    constexpr int kRounds = 10;
    const int perRound = std::max(1, count / kRounds);
    double led_ms = 0;
    double facet_ms = 0;
    bool painted = true;
    for (int round = 0; round < kRounds; ++round) {
        plugin->ApplyStyle(false);
        TimeRepaints(*panel, 20); // warm-up: back buffer, brushes
        const double led = TimeRepaints(*panel, perRound);
        plugin->ApplyStyle(true);
        TimeRepaints(*panel, 20); // warm-up: the kept glyphs
        const double facet = TimeRepaints(*panel, perRound);
        painted = painted && led > 0 && facet > 0;
        led_ms += led;
        facet_ms += facet;
    }
    plugin->Finalize();
    const int total = perRound * kRounds;
    if (!painted) {
        std::printf("a repaint did not happen\n");
        return 1;
    }
    std::printf("repaints of \"hh:mm:ss\": %d each, in %d alternating rounds\n", total, kRounds);
    std::printf("LED segments: %.1f ms (%.1f us per repaint)\n", led_ms, 1000 * led_ms / total);
    std::printf("Facet style:  %.1f ms (%.1f us per repaint)\n", facet_ms, 1000 * facet_ms / total);
    std::printf("ratio Facet / LED: %.2f\n", facet_ms / led_ms);
    return 0;
}
