#include "charts/core/ExcursionShading.h"

#include <utility>

namespace {

// The column where the segment from (px, py) to (x, y) meets a row. Both points can truncate to
// the same row (one on the limit, one just beyond it); the segment then meets it at x.
int crossing(int px, int py, int x, int y, int row)
{
    if (y == py)
        return x;
    return int(px + static_cast<long long>(x - px) * (row - py) / (y - py));
}

}

ExcursionShading::ExcursionShading(double low, double high, int yLow, int yHigh, Fill fill)
    : below{false, low, yLow, {}}, above{true, high, yHigh, {}}, fill(std::move(fill))
{
    below.queue.reserve(3);
    above.queue.reserve(3);
}

void ExcursionShading::shade(const std::vector<PlotPoint>& points)
{
    if (points.empty())
        return;
    for (Side* side : {&below, &above}) {
        side->queue.clear();
        if (side->outside(points[0].value))
            side->queue = {{points[0].x, points[0].y}, {points[0].x, side->row}};
    }
    for (size_t i = 1; i < points.size(); ++i) {
        follow(below, points[i - 1], points[i]);
        follow(above, points[i - 1], points[i]);
    }
}

void ExcursionShading::follow(Side& side, const PlotPoint& previous, const PlotPoint& point)
{
    const bool out = side.outside(point.value);
    std::vector<Vertex>& q = side.queue;
    if (q.empty()) {
        if (!out)
            return;
        q.push_back({crossing(previous.x, previous.y, point.x, point.y, side.row), side.row});
        q.push_back({point.x, point.y});
        q.push_back({point.x, side.row});
        fillTriangle(side, 1);
    } else if (out) {
        q.push_back({point.x, point.y});
        fillTriangle(side, 1);
        q.push_back({point.x, side.row});
        fillTriangle(side, 1);
    } else {
        q.push_back({crossing(previous.x, previous.y, point.x, point.y, side.row), side.row});
        fillTriangle(side, 3);
    }
}

void ExcursionShading::fillTriangle(Side& side, int drop)
{
    std::vector<Vertex>& q = side.queue;
    const size_t n = q.size();
    fill(q[n - 3], q[n - 2], q[n - 1], side.above);
    q.erase(q.begin(), q.begin() + drop);
}
