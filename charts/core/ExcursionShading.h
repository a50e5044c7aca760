// The shading of a curve's excursions out of its range: the area between the curve and the limit
// it left, as the triangles that fill it, in drawing order. The plot fills them; tests record them.
#pragma once

#include "charts/core/ChartModel.h"

#include <functional>
#include <vector>

struct Vertex {
    int x, y;
};

class ExcursionShading {
public:
    // Receives the three newest vertices of a queue, oldest first, and whether they lie above the range.
    using Fill = std::function<void(const Vertex&, const Vertex&, const Vertex&, bool above)>;

    // points in time order; low and high are the limits, drawn at the rows yLow and yHigh.
    ExcursionShading(double low, double high, int yLow, int yHigh, Fill fill);
    void shade(const std::vector<PlotPoint>& points);

private:
    struct Side {
        bool above;
        double limit;
        int row;
        // Between points: empty, or the newest point and its foot on the limit line.
        std::vector<Vertex> queue;

        bool outside(double value) const { return above ? limit < value : limit > value; }
    };

    void follow(Side& side, const PlotPoint& previous, const PlotPoint& point);
    // Fills the triangle of the three newest vertices, then drops the oldest `drop`.
    void fillTriangle(Side& side, int drop);

    Side below, above;
    Fill fill;
};
