"""What each design point gave, and each factor's main effect on red's win rate and on the
casualties: a linear model of the battles on the coded factors, its intervals robust to the
replicates of a point sharing whatever the model misses there."""

import numpy as np
import pandas as pd
from scipy import stats

Z95 = stats.norm.ppf(0.975)
# A factor whose Holm-adjusted p-value is below this is taken to change the battle.
ALPHA = 0.05


def wilson(wins, battles):
    """The 95% Wilson interval of a rate of wins out of battles."""
    rate = wins / battles
    spread = Z95 * np.sqrt(rate * (1 - rate) / battles + Z95 ** 2 / (4 * battles ** 2))
    centre = rate + Z95 ** 2 / (2 * battles)
    scale = 1 + Z95 ** 2 / battles
    return (centre - spread) / scale, (centre + spread) / scale


def mean_interval(values):
    """A mean's 95% interval from Student's t; none from a single value."""
    count = len(values)
    if count < 2:
        return np.nan, np.nan
    half = stats.t.ppf(0.975, count - 1) * values.std(ddof=1) / np.sqrt(count)
    return values.mean() - half, values.mean() + half


def point_table(frame, factors):
    """One row per design point: its factors' values, battles, red's win rate and the casualties,
    each with its 95% interval."""
    rows = []
    for point, battles in frame.groupby("point", sort=True):
        row = {"point": point}
        row.update({factor.name: battles[factor.name].iloc[0] for factor in factors})
        wins = int(battles["red_win"].sum())
        low, high = wilson(wins, len(battles))
        casualties = battles["casualties"].astype(float)
        cas_low, cas_high = mean_interval(casualties)
        row.update(battles=len(battles), red_win_rate=wins / len(battles), red_win_low=low, red_win_high=high,
                   casualties=casualties.mean(), casualties_low=cas_low, casualties_high=cas_high)
        rows.append(row)
    return pd.DataFrame(rows)


def linear_fit(response, matrix, groups):
    import statsmodels.api as sm

    model = sm.OLS(response.astype(float), sm.add_constant(matrix, has_constant="add"))
    if groups.nunique() >= 2 and groups.nunique() < len(groups):
        return model.fit(cov_type="cluster", cov_kwds={"groups": groups.to_numpy()})
    return model.fit(cov_type="HC3")


def contrast(fit, factor):
    """The factor's effect as a contrast of the fit's parameters: low to high for a numeric factor,
    the lowest level to the highest for levels; with the names of its two ends."""
    names = list(fit.params.index)
    vector = np.zeros(len(names))
    if factor.numeric:
        vector[names.index(factor.name)] = 2.0
        return vector, (f"{factor.low:g}", f"{factor.high:g}")
    level_effects = [0.0] + [fit.params[column] for column in factor.columns]
    low, high = int(np.argmin(level_effects)), int(np.argmax(level_effects))
    for index, sign in ((high, 1.0), (low, -1.0)):
        if index > 0:
            vector[names.index(factor.columns[index - 1])] += sign
    return vector, (factor.levels[low], factor.levels[high])


def factor_p_value(fit, factor):
    """Whether the factor changes the response at all: the Wald test of all its columns."""
    names = list(fit.params.index)
    restrictions = np.zeros((len(factor.columns), len(names)))
    for row, column in enumerate(factor.columns):
        restrictions[row, names.index(column)] = 1.0
    return float(np.squeeze(fit.wald_test(restrictions, scalar=True).pvalue))


def effect_rows(fit, factors, prefix):
    rows = []
    for factor in factors:
        vector, ends = contrast(fit, factor)
        test = fit.t_test(vector)
        low, high = np.asarray(test.conf_int(alpha=0.05)).ravel()
        rows.append({"factor": factor.name, f"{prefix}": float(np.squeeze(test.effect)), f"{prefix}_low": low,
                     f"{prefix}_high": high, f"{prefix}_p": factor_p_value(fit, factor), f"{prefix}_from": ends[0],
                     f"{prefix}_to": ends[1], f"{prefix}_vector": vector})
    return pd.DataFrame(rows)


def main_effects(frame, matrix, factors):
    """Each factor's main effect on red's win rate and on the casualties, with 95% intervals and
    Holm-adjusted p-values of its win-rate effect, ranked by the size of that effect."""
    from statsmodels.stats.multitest import multipletests

    wins = linear_fit(frame["red_win"], matrix, frame["point"])
    casualties = linear_fit(frame["casualties"], matrix, frame["point"])
    table = effect_rows(wins, factors, "win").merge(
        effect_rows(casualties, factors, "casualties").drop(columns=["casualties_vector"]), on="factor")
    table["win_p_holm"] = multipletests(table["win_p"], method="holm")[1]
    table["decides"] = table["win_p_holm"] < ALPHA
    table = table.reindex(table["win"].abs().sort_values(ascending=False).index).reset_index(drop=True)
    table.insert(0, "rank", range(1, len(table) + 1))
    return table, wins


def untold_pairs(table, fit):
    """Neighbours in the ranking, both deciding, whose effects' sizes the data cannot tell apart."""
    pairs = []
    deciding = table[table["decides"]]
    for (_, first), (_, second) in zip(deciding.iterrows(), deciding.iloc[1:].iterrows()):
        difference = np.sign(first["win"]) * first["win_vector"] - np.sign(second["win"]) * second["win_vector"]
        if float(np.squeeze(fit.t_test(difference).pvalue)) >= ALPHA:
            pairs.append((first["factor"], second["factor"]))
    return pairs
