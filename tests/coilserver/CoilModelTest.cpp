#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "CoilModel.h"
#include "Psychrometrics.h"

using namespace CoilModel;
namespace Psy = Psychrometrics;

namespace {

TCoilInputs Inputs(double v, double db, double wb, double tc) { return {v, db, wb, tc}; }

// The properties every successful calculation must have, checked from the
// published outputs alone.
void ExpectConsistent(const TCoilGeometry& coil, const TCoilInputs& in, const TCoilResults& r) {
  ASSERT_FALSE(r.Error) << r.Reason;
  const double wIn = Psy::HumidityRatio(in.DryBulbOn, in.WetBulbOn);
  const double wOut = Psy::HumidityRatio(r.DBo, r.WBo);
  const double hIn = Psy::Enthalpy(in.DryBulbOn, wIn);
  const double hOut = Psy::Enthalpy(r.DBo, wOut);
  EXPECT_NEAR(r.Qt, r.ma * (hIn - hOut), 1e-6 * (1 + r.Qt)) << "Qt = ma (h_in - h_out)";
  EXPECT_NEAR(wOut, r.Wo, 1e-8);
  EXPECT_NEAR(r.ma, in.AirVelocity * FaceArea(coil) / Psy::SpecificVolume(in.DryBulbOn, wIn), 1e-9);
  EXPECT_NEAR(r.Qai, in.AirVelocity * FaceArea(coil), 1e-12);
  EXPECT_GT(r.Qt, 0);
  EXPECT_GE(r.Qs, 0);
  EXPECT_LE(r.Qs, r.Qt + 1e-9);
  EXPECT_LE(r.WBo, r.DBo);
  EXPECT_LE(r.Wo, Psy::SaturationHumidityRatio(r.DBo) * (1 + 1e-9)) << "leaving air supersaturated";
  EXPECT_LE(r.Wo, wIn + 1e-12) << "a cooling coil adds no moisture";
  EXPECT_LT(r.DBo, in.DryBulbOn);
  EXPECT_GE(r.DBo, r.Evaporating) << "air leaves warmer than the refrigerant";
  EXPECT_GE(r.Evaporating, MinEvaporating);
  // The balance point: the coil removes what the compressor pumps.
  EXPECT_NEAR(r.Qt, CompressorCapacity(coil, r.Evaporating, in.Discharge), 1e-4 * r.Qt);
}

double Qt(const TCoilInputs& in) { return Calculate(DefaultCoil(), in).Qt; }

}  // namespace

TEST(CoilCatalogue, ModelTextsFindTheirCoil) {
  std::set<std::string> names;
  for (const TCoilGeometry& coil : Catalogue()) {
    EXPECT_TRUE(names.insert(coil.Model).second) << coil.Model;
    EXPECT_EQ(FindCoil(coil.Model), &coil);
  }
  EXPECT_GE(Catalogue().size(), 3u);
  EXPECT_EQ(DefaultCoil().Model, "KC-600x900-4R-10FPI");
  EXPECT_EQ(FindCoil(" kc-600x900-4r-10fpi\t"), &DefaultCoil());
  for (const char* unknown : {"", "   ", "KC-600x900-4R", "KC-600x900-4R-10FPIX", "KC-601x900-4R-10FPI"})
    EXPECT_EQ(FindCoil(unknown), nullptr) << '"' << unknown << '"';
}

TEST(CoilModel, FlowConversionsRoundTrip) {
  const TCoilGeometry& coil = *FindCoil("KC-900x1200-4R-12FPI");
  const TCoilInputs in = Inputs(3.1, 30, 21, 48);
  EXPECT_DOUBLE_EQ(AirVolume(coil, 3.1), 3.1 * 1.2 * 0.9);
  EXPECT_NEAR(VelocityFromAirVolume(coil, AirVolume(coil, 3.1)), 3.1, 1e-12);
  EXPECT_NEAR(VelocityFromMassFlow(coil, in, MassFlow(coil, in)), 3.1, 1e-12);
  // Warmer, moister air is lighter: less mass for the same volume.
  EXPECT_LT(MassFlow(coil, in), MassFlow(coil, Inputs(3.1, 20, 10, 48)));
}

// Every coil over the controller's default sweep (velocity 2..5 m/s, dry bulb
// 25..35 °C, wet bulb 16..20 °C, discharge 46..50 °C) and around it.
TEST(CoilModel, ConsistentOverTheSweepRange) {
  int points = 0;
  for (const TCoilGeometry& coil : Catalogue())
    for (double v : {1.5, 2.0, 3.0, 4.0, 5.0, 6.0})
      for (double db : {22.0, 25.0, 27.5, 30.0, 32.5, 35.0})
        for (double wb : {12.0, 16.0, 18.0, 20.0, 22.0})
          for (double tc : {35.0, 46.0, 48.0, 50.0, 60.0}) {
            // Combinations that are no air, or that no refrigerating cycle
            // can serve, are the error cases below.
            if (wb > db || tc < db + 5 || Psy::HumidityRatio(db, wb) <= 0) continue;
            const TCoilInputs in = Inputs(v, db, wb, tc);
            SCOPED_TRACE(testing::Message() << coil.Model << " v=" << v << " db=" << db << " wb=" << wb << " tc=" << tc);
            ExpectConsistent(coil, in, Calculate(coil, in));
            ++points;
          }
  EXPECT_GT(points, 2000);
}

TEST(CoilModel, DefaultInputsGiveATypicalDesignPoint) {
  const TCoilResults r = Calculate(DefaultCoil(), TCoilInputs{});
  ExpectConsistent(DefaultCoil(), TCoilInputs{}, r);
  // A 0.54 m² four-row coil at 2.5 m/s: about 7 tons, 12..16 °C off the coil,
  // sensible heat ratio 0.7..0.8, evaporating a few degrees above freezing.
  EXPECT_GT(r.Qt, 20);
  EXPECT_LT(r.Qt, 32);
  EXPECT_GT(r.DBo, 12);
  EXPECT_LT(r.DBo, 16);
  EXPECT_GT(r.Qs / r.Qt, 0.65);
  EXPECT_LT(r.Qs / r.Qt, 0.85);
  EXPECT_GT(r.Evaporating, 2);
  EXPECT_LT(r.Evaporating, 10);
}

TEST(CoilModel, EveryInputMatters) {
  const TCoilInputs base;
  const double q = Qt(base);
  TCoilInputs in = base;
  in.AirVelocity = 3;
  EXPECT_GT(Qt(in), q * 1.01) << "more air, more cooling";
  in = base;
  in.WetBulbOn = 20;
  EXPECT_GT(Qt(in), q * 1.01) << "moister air, more (latent) cooling";
  in = base;
  in.DryBulbOn = 29;
  EXPECT_NE(Qt(in), q);
  in = base;
  in.Discharge = 52;
  EXPECT_LT(Qt(in), q * 0.99) << "a hotter condenser, less cooling";
  EXPECT_GT(Calculate(*FindCoil("KC-1200x1500-6R-10FPI"), base).Qt, q) << "a larger coil, more cooling";
}

TEST(CoilModel, EffectsRunTheWayPhysicsSays) {
  // Within one surface regime (this air keeps the coil wet up to about 5 m/s;
  // at the switch to a dry coil the leaving state jumps, see README).
  double previousQt = 0, previousDBo = -100;
  for (double v = 1.5; v <= 5.0; v += 0.25) {
    const TCoilResults r = Calculate(DefaultCoil(), Inputs(v, 27, 19, 48));
    SCOPED_TRACE(v);
    EXPECT_GT(r.Qt, previousQt);
    EXPECT_GT(r.DBo, previousDBo) << "less contact time per kg of air";
    previousQt = r.Qt;
    previousDBo = r.DBo;
  }
  previousQt = 1e9;
  for (double tc = 28; tc <= 70; tc += 2) {
    SCOPED_TRACE(tc);
    const double q = Qt(Inputs(2.5, 27, 19, tc));
    EXPECT_LT(q, previousQt);
    previousQt = q;
  }
  // Moister entering air: total capacity never falls, and the sensible share
  // falls once the coil condenses.
  previousQt = 0;
  double previousShr = 1.0 + 1e-12;
  for (double wb = 10; wb <= 26; wb += 1) {
    SCOPED_TRACE(wb);
    const TCoilResults r = Calculate(DefaultCoil(), Inputs(2.5, 27, wb, 48));
    EXPECT_GE(r.Qt, previousQt - 1e-9);
    EXPECT_LE(r.Qs / r.Qt, previousShr);
    previousQt = r.Qt;
    previousShr = r.Qs / r.Qt;
  }
  // Dry entering air stays at its humidity: all of the cooling is sensible.
  const TCoilResults dry = Calculate(DefaultCoil(), Inputs(2.5, 27, 12, 48));
  EXPECT_NEAR(dry.Qs, dry.Qt, 1e-9);
}

TEST(CoilModel, ImpossibleInputsFlagAnErrorWithFiniteResults) {
  struct TCase {
    const char* What;
    TCoilInputs In;
  } cases[] = {
      {"wet bulb above dry bulb", Inputs(2.5, 27, 28, 48)},
      {"no air", Inputs(0, 27, 19, 48)},
      {"reverse air", Inputs(-2, 27, 19, 48)},
      {"condensing at the entering air", Inputs(2.5, 27, 19, 27)},
      {"condensing below the entering air", Inputs(2.5, 27, 19, 20)},
      {"condensing above the compressor's range", Inputs(2.5, 27, 19, 80)},
      {"wet bulb too low for any humidity", Inputs(2.5, 40, 5, 48)},
      {"entering air too hot", Inputs(2.5, 70, 30, 90)},
      {"entering air below freezing", Inputs(2.5, -5, -6, 48)},
      {"so little air that the coil would frost", Inputs(0.2, 27, 19, 48)},
      {"velocity not a number", Inputs(NAN, 27, 19, 48)},
      {"dry bulb infinite", Inputs(2.5, INFINITY, 19, 48)},
      {"wet bulb not a number", Inputs(2.5, 27, NAN, 48)},
      {"discharge not a number", Inputs(2.5, 27, 19, NAN)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    const TCoilResults r = Calculate(DefaultCoil(), c.In);
    EXPECT_TRUE(r.Error);
    EXPECT_FALSE(r.Reason.empty());
    for (double value : {r.ma, r.Qai, r.Qt, r.Qs, r.DBo, r.WBo, r.Wo, r.Evaporating}) EXPECT_TRUE(std::isfinite(value));
    EXPECT_EQ(r.Qt, 0);
    EXPECT_EQ(r.Qs, 0);
    EXPECT_LE(r.WBo, r.DBo);
  }
}
