// The ICurve2D face of drawing objects.
#include <cmath>
#include <limits>
#include <memory>

#include "model/ShapeApi.h"

namespace vlhost {
namespace {

class CurveApi : public Api<NoCore, vlapi::ICurve2D> {
 public:
  explicit CurveApi(std::vector<geom::Curve> curves) : curves_(std::move(curves)) {}

  double GetParamMin() override { return Single() ? geom::domain(curves_[0]).min : 0.0; }
  double GetParamMax() override {
    return Single() ? geom::domain(curves_[0]).max : static_cast<double>(curves_.size());
  }
  bool GetPoint(double t, double& x, double& y) override {
    geom::Point p;
    if (Single()) {
      p = geom::pointAt(curves_[0], t);
    } else {
      const double limit = static_cast<double>(curves_.size());
      const double clamped = std::min(std::max(t, 0.0), limit);
      const std::size_t k = std::min(static_cast<std::size_t>(clamped), curves_.size() - 1);
      const geom::Domain d = geom::domain(curves_[k]);
      p = geom::pointAt(curves_[k], d.min + (clamped - static_cast<double>(k)) * (d.max - d.min));
    }
    x = p.x;
    y = p.y;
    return std::isfinite(x) && std::isfinite(y);
  }
  bool GetNearestPoint(double x, double y, double& nx, double& ny, double& t, double& distance) override {
    double best = std::numeric_limits<double>::infinity();
    // A caller asks about many points: what the search follows is kept.
    if (finders_.empty())
      for (const geom::Curve& c : curves_) finders_.push_back(std::make_unique<geom::NearestFinder>(c));
    for (std::size_t k = 0; k < curves_.size(); ++k) {
      const auto hit = (*finders_[k])({x, y});
      if (!hit || hit->distance >= best) continue;
      best = hit->distance;
      nx = hit->point.x;
      ny = hit->point.y;
      distance = hit->distance;
      t = Single() ? hit->t : static_cast<double>(k) + Fraction(k, hit->t);
    }
    return std::isfinite(best);
  }
  double GetLength() override {
    double sum = 0;
    for (const geom::Curve& c : curves_) sum += geom::length(c);
    return sum;
  }
  bool IsClosed() override {
    return !curves_.empty() &&
           geom::near(geom::startPoint(curves_.front()), geom::endPoint(curves_.back()), 1e-4);
  }

 private:
  bool Single() const { return curves_.size() == 1; }
  double Fraction(std::size_t k, double t) const {
    const geom::Domain d = geom::domain(curves_[k]);
    return d.max > d.min ? (t - d.min) / (d.max - d.min) : 0.0;
  }
  std::vector<geom::Curve> curves_;
  std::vector<std::unique_ptr<geom::NearestFinder>> finders_;  // of curves_, made when first asked
};

}  // namespace

vlapi::ICurve2DPtr CurveOf(const Shape& shape) {
  std::vector<geom::Curve> curves = shape.Curves();
  if (curves.empty()) return {};
  return Give<vlapi::ICurve2D>(new CurveApi(std::move(curves)));
}

}  // namespace vlhost
