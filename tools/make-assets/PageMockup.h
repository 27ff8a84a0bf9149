#pragma once

// The window's three pages drawn at 1x with the real pictures where the
// program puts them, so that the set can be judged as one product.

#include "Canvas.h"

#include <map>
#include <string>

namespace quorvo::art::sheet {

class PageMockup {
public:
    PageMockup(cairo_t* cr, const std::map<std::string, const Canvas*>& images, double x, double y)
        : m_cr(cr)
        , m_images(images)
        , m_x(x)
        , m_y(y)
    { }

    // The picture, the panels, caption, caption buttons and tabs.
    void window(int selectedTab);
    void searchPage();
    void downloadPage();
    void settingsPage();

private:
    [[nodiscard]] const Canvas& image(const std::string& name) const { return *m_images.at(name); }
    void fill(double x, double y, double w, double h, Colour colour);
    void shadowedText(double x, double y, const char* text, double size);
    void button(const std::string& name, int frame, double x, double y);
    void mark(const std::string& name, double frameX, double x, double y, const char* text);
    void messageBox(double x, double y);

    cairo_t* m_cr;
    const std::map<std::string, const Canvas*>& m_images;
    double m_x;
    double m_y;
};

}  // namespace quorvo::art::sheet
