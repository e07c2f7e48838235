#include "allocation/linear_program.h"

#include <glpk.h>

#include <cmath>
#include <memory>

namespace allocation {
namespace {

struct ProblemDeleter {
  void operator()(glp_prob* p) const { glp_delete_prob(p); }
};

void load_columns(glp_prob* lp, const LinearProgram& p) {
  const int n = static_cast<int>(p.objective.size());
  glp_add_cols(lp, n);
  for (int j = 1; j <= n; ++j) {
    const double lo = p.lower[j - 1], hi = p.upper[j - 1];
    const int kind = std::isinf(hi) ? GLP_LO : (hi == lo ? GLP_FX : GLP_DB);
    glp_set_col_bnds(lp, j, kind, lo, std::isinf(hi) ? 0.0 : hi);
    glp_set_obj_coef(lp, j, p.objective[j - 1]);
  }
}

void load_rows(glp_prob* lp, const LinearProgram& p) {
  const int m = static_cast<int>(p.rows.size());
  if (m == 0) return;
  glp_add_rows(lp, m);
  // GLPK's arrays count from 1: element 0 is not read.
  std::vector<int> ia{0}, ja{0};
  std::vector<double> ar{0.0};
  for (int i = 1; i <= m; ++i) {
    const LpRow& row = p.rows[i - 1];
    glp_set_row_bnds(lp, i, GLP_UP, 0.0, row.b);
    for (std::size_t j = 0; j < row.a.size(); ++j) {
      if (row.a[j] == 0.0) continue;
      ia.push_back(i);
      ja.push_back(static_cast<int>(j) + 1);
      ar.push_back(row.a[j]);
    }
  }
  glp_load_matrix(lp, static_cast<int>(ar.size()) - 1, ia.data(), ja.data(), ar.data());
}

}  // namespace

LpSolution solve(const LinearProgram& p) {
  glp_term_out(GLP_OFF);
  std::unique_ptr<glp_prob, ProblemDeleter> lp(glp_create_prob());
  glp_set_obj_dir(lp.get(), GLP_MAX);
  load_columns(lp.get(), p);
  load_rows(lp.get(), p);
  glp_scale_prob(lp.get(), GLP_SF_AUTO);
  glp_smcp options;
  glp_init_smcp(&options);
  options.msg_lev = GLP_MSG_OFF;
  options.tol_bnd = 1e-9;
  options.tol_dj = 1e-9;
  LpSolution s;
  if (glp_simplex(lp.get(), &options) != 0) return s;
  switch (glp_get_status(lp.get())) {
    case GLP_OPT: s.status = LpStatus::optimal; break;
    case GLP_NOFEAS: s.status = LpStatus::infeasible; return s;
    case GLP_UNBND: s.status = LpStatus::unbounded; return s;
    default: return s;
  }
  s.objective = glp_get_obj_val(lp.get());
  for (int j = 1; j <= glp_get_num_cols(lp.get()); ++j) s.x.push_back(glp_get_col_prim(lp.get(), j));
  for (int i = 1; i <= glp_get_num_rows(lp.get()); ++i) s.duals.push_back(glp_get_row_dual(lp.get(), i));
  return s;
}

}  // namespace allocation
