"""The metamodels of a design: a logistic model of red's win with every two-factor interaction
(statsmodels) and a shallow decision tree (scikit-learn), each judged on the battles of design
points it was not fitted on."""

import itertools

import numpy as np
import pandas as pd

# Folds of design points: each point's battles are predicted by a model fitted without them.
FOLDS = 5
TREE_DEPTH = 3
# A slight ridge keeps the logistic fit finite where a factor separates wins from losses outright
# (the known answer of a design where one factor decides); the intercept is not held back.
RIDGE = 1e-3
# Replicates add no design points: a model needs several points per term to be judged on others.
POINTS_PER_TERM = 4


def pair_count(factors):
    return sum(len(first.columns) * len(second.columns) for first, second in itertools.combinations(factors, 2))


def paired_factors(factors, ranking, points):
    """The factors whose two-factor interactions enter the model: all of them when the design's
    points can carry every term, else the strongest by main effect, as many as they can."""
    by_name = {factor.name: factor for factor in factors}
    main_terms = 1 + sum(len(factor.columns) for factor in factors)
    chosen = []
    for name in ranking:
        if main_terms + pair_count(chosen + [by_name[name]]) > points / POINTS_PER_TERM:
            break
        chosen.append(by_name[name])
    return chosen


def interaction_matrix(matrix, factors, paired):
    """The coded columns and the product of every two columns of different paired factors."""
    owner = {column: factor.name for factor in paired for column in factor.columns}
    columns = [column for column in matrix.columns if column in owner]
    products = {f"{first}:{second}": matrix[first] * matrix[second]
                for first, second in itertools.combinations(columns, 2) if owner[first] != owner[second]}
    return pd.concat([matrix, pd.DataFrame(products, index=matrix.index)], axis=1)


def fit_logistic(matrix, response):
    """The logistic model's parameters: maximum likelihood, or, where a setting separates wins from
    losses outright and the likelihood has no maximum, a slightly held-back fit."""
    import warnings

    import statsmodels.api as sm
    from statsmodels.tools.sm_exceptions import PerfectSeparationError

    with_constant = sm.add_constant(matrix, has_constant="add")
    model = sm.GLM(response.astype(float), with_constant, family=sm.families.Binomial())
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        try:
            params = model.fit().params
            if np.all(np.isfinite(params)) and np.abs(params).max() < 30.0:
                return params
        except (PerfectSeparationError, np.linalg.LinAlgError, ValueError):
            pass
        penalty = np.full(with_constant.shape[1], RIDGE)
        penalty[0] = 0.0
        return model.fit_regularized(alpha=penalty, L1_wt=0.0).params


def predict_logistic(params, matrix):
    values = params.iloc[0] + matrix.to_numpy() @ params.iloc[1:].to_numpy()
    return 1.0 / (1.0 + np.exp(-np.clip(values, -40.0, 40.0)))


def tree_model(battles):
    from sklearn.tree import DecisionTreeClassifier

    leaf = max(5, battles // 50)
    return DecisionTreeClassifier(max_depth=TREE_DEPTH, min_samples_leaf=leaf, random_state=0)


def predict_tree(tree, matrix):
    probabilities = tree.predict_proba(matrix.to_numpy())
    classes = list(tree.classes_)
    return probabilities[:, classes.index(1.0)] if 1.0 in classes else np.zeros(len(matrix))


def held_out(frame, fit, predict):
    """Each battle's predicted chance of a red win from a model fitted on the other points' battles."""
    from sklearn.model_selection import GroupKFold

    points = frame["point"].to_numpy()
    folds = min(FOLDS, len(np.unique(points)))
    predicted = np.zeros(len(frame))
    for train, test in GroupKFold(n_splits=folds).split(frame, groups=points):
        model = fit(train)
        predicted[test] = predict(model, test)
    return predicted


def judged(frame, predicted):
    """The held-out Brier score against that of always predicting the overall win rate, and how far
    the predicted win rate of each held-out point was from its battles'."""
    outcome = frame["red_win"].to_numpy(dtype=float)
    brier = float(np.mean((predicted - outcome) ** 2))
    baseline = float(np.mean((outcome.mean() - outcome) ** 2))
    by_point = pd.DataFrame({"point": frame["point"], "predicted": predicted, "observed": outcome}).groupby("point")
    point_error = float((by_point["predicted"].mean() - by_point["observed"].mean()).abs().mean())
    skill = 1.0 - brier / baseline if baseline > 0 else float("nan")
    return {"held_out_brier": brier, "baseline_brier": baseline, "skill": skill, "point_error": point_error}


def strongest_interaction(params, factors):
    """The pair of factors whose product term is largest in the coded logistic model, and that term."""
    owner = {column: factor.name for factor in factors for column in factor.columns}
    best = None
    for name, value in params.items():
        if ":" in name and name.split(":")[0] in owner:
            first, second = name.split(":", 1)
            if best is None or abs(value) > abs(best[2]):
                best = (owner[first], owner[second], float(value))
    return best


def logistic_metamodel(frame, matrix, factors, ranking):
    paired = paired_factors(factors, ranking, frame["point"].nunique())
    wide = interaction_matrix(matrix, factors, paired)
    response = frame["red_win"]
    predicted = held_out(frame, lambda train: fit_logistic(wide.iloc[train], response.iloc[train]),
                         lambda params, test: predict_logistic(params, wide.iloc[test]))
    params = fit_logistic(wide, response)
    result = judged(frame, predicted)
    result.update(params=params, columns=list(wide.columns), strongest=strongest_interaction(params, factors),
                  paired=[factor.name for factor in paired])
    return result


def tree_metamodel(frame, matrix):
    response = frame["red_win"].to_numpy(dtype=float)
    battles = len(frame)

    def fit(train):
        return tree_model(battles).fit(matrix.iloc[train].to_numpy(), response[train])

    predicted = held_out(frame, fit, lambda tree, test: predict_tree(tree, matrix.iloc[test]))
    result = judged(frame, predicted)
    result["tree"] = tree_model(battles).fit(matrix.to_numpy(), response)
    return result
